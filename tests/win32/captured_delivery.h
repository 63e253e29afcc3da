// In the Win32 tests, delivery is captured instead of written or shown, so a
// turn can be run without a window or an output file.
#ifndef MERROWIND_TESTS_CAPTURED_DELIVERY_H
#define MERROWIND_TESTS_CAPTURED_DELIVERY_H

#include <string>
#include <vector>

struct CapturedDelivery {
    std::string text;
    unsigned long bufferSize;  // GlobalSize of the buffer handed over
};

extern std::vector<CapturedDelivery> g_deliveries;
extern int g_deliveryResult;  // what the captured delivery returns

void ResetDeliveries(int result = 1);

#endif
