// The listener response readers: an ear's table and the left-to-right
// response, from one input (used whole for both).
#include <cmath>

#include "DataFolder.h"
#include "FuzzSupport.h"
#include "ListenerResponses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string root = fuzzsupport::scratchFolder();
    fuzzsupport::writeFile(datafiles::hrtfFilePath(root, 0, 0), data, size);
    fuzzsupport::writeFile(datafiles::leftToRightFilePath(root, 0), data, size);
    struct Tables
    {
        datafiles::ListenerTable table;
        datafiles::ListenerRow response, impulse;
    };
    static Tables* t = new Tables();  // lives for the process
    float sum = 0.0f;
    datafiles::loadLeftToRightFile(root, 0, t->response, t->impulse, sum);
    datafiles::loadHrtfFile(root, 0, 0, t->table);
    if (!(sum > 0.0f) || !std::isfinite(sum))
        std::abort();
    for (int tap = 0; tap < datafiles::listenerTaps; ++tap)
        if (!datafiles::withinBound(t->response[tap], datafiles::maxResponseMagnitude) ||
            !datafiles::withinBound(t->table[24][49][tap], datafiles::maxResponseMagnitude))
            std::abort();
    return 0;
}
