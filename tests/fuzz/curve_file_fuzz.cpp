// The curve-file reader (.hps, .mos, .trc, .ldc).
#include <memory>

#include "CurveFile.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::scratchFile("curve.mos", data, size);
    static auto list = std::make_unique<CurveList>();
    for (float bound : {datafiles::maxCurveLevelDb, datafiles::maxLoudnessLevelDb})
    {
        datafiles::setFlatCurve(*list);
        const int32_t code = datafiles::readCurveFile(path, *list, bound);
        if (list->count < 1 || list->count > CurveList::capacity)
            std::abort();
        if (code == datafiles::fileOk)
            for (int32_t i = 0; i < list->count; ++i)
                if (!datafiles::withinBound(list->db[i], bound))
                    std::abort();
    }
    return 0;
}
