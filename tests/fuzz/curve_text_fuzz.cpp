// The curve converter's texts: both headphone formats and the monitor pairs.
#include <memory>

#include "CurveTextConversion.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace curveconvert;
    const std::string path = fuzzsupport::scratchFile("curve.txt", data, size);
    static auto list = std::make_unique<CurveList>();
    auto check = [](int32_t code) {
        if (code == convertOk && (list->count < 1 || list->count > CurveList::capacity ||
                                  worstLevelOutOfRange(*list) >= 0))
            std::abort();
    };
    check(parseHeadphoneText(path, HeadphoneTextFormat::measurement, 0.0f, *list));
    check(parseHeadphoneText(path, HeadphoneTextFormat::pairs, 0.0f, *list));
    check(parseMonitorText(path, *list));
    return 0;
}
