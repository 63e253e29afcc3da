#include "tests/win32/captured_delivery.h"

#include <mutex>

#include "app/delivery.h"

// Turns taken on two threads at once deliver side by side.
static std::mutex g_capture;

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
    std::lock_guard<std::mutex> hold(g_capture);
    g_deliveries.push_back({std::string(text), static_cast<unsigned long>(GlobalSize(text))});
    return g_deliveryResult;
}
