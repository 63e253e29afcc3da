#include "tests/win32/captured_delivery.h"

#include "app/delivery.h"

std::vector<CapturedDelivery> g_deliveries;
int g_deliveryResult = 1;

void ResetDeliveries(int result)
{
    g_deliveries.clear();
    g_deliveryResult = result;
}

int DeliverFortune(HINSTANCE, char* text)
{
    // The window rewrites the text in place, so the buffer must be the
    // reader's own writable global block, not a copy or a constant.
    g_deliveries.push_back({std::string(text), static_cast<unsigned long>(GlobalSize(text))});
    return g_deliveryResult;
}
