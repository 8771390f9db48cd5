// The design-table cache reader. Inputs of another size are refused at once,
// so an input is read as edits of a valid cache image: a first byte choosing
// the length (as it is, 8 bytes short, 8 bytes long), then records of a
// 4-byte value index and 8 replacement bytes.
#include <cstring>
#include <memory>
#include <vector>

#include "CorrectionFilter.h"
#include "DesignTables.h"
#include "FuzzSupport.h"

namespace
{
struct Tables
{
    Tables()
        : basisReal(correction::basisValueCount), basisImag(correction::basisValueCount),
          normalInverse(correction::normalValueCount)
    {
    }
    correction::DesignTableArrays arrays() { return {basisReal.data(), basisImag.data(), normalInverse.data()}; }
    std::vector<double> basisReal, basisImag, normalInverse;
};

struct Valid
{
    Valid()
    {
        correction::computeCorrectionPoles(poleA1, poleA2);
        path = fuzzsupport::scratchFolder() + "/valid.qtb";
        if (!correction::buildDesignTablesAndCache(path, poleA1, poleA2, tables.arrays()))
            std::abort();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        image.resize(correction::designCacheBytes);
        if (!f || std::fread(image.data(), 1, image.size(), f) != image.size())
            std::abort();
        std::fclose(f);
    }
    float poleA1[correction::sectionCount], poleA2[correction::sectionCount];
    Tables tables;
    std::string path;
    std::vector<uint8_t> image;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Valid* valid = new Valid;  // lives for the process
    std::vector<uint8_t> cache = valid->image;
    if (size > 0 && data[0] % 3 == 1)
        cache.resize(cache.size() - 8);
    else if (size > 0 && data[0] % 3 == 2)
        cache.resize(cache.size() + 8, 0);
    const size_t values = cache.size() / 8;
    for (size_t at = 1; at + 12 <= size; at += 12)
    {
        uint32_t index;
        std::memcpy(&index, data + at, 4);
        std::memcpy(cache.data() + 8 * (index % values), data + at + 4, 8);
    }
    const std::string path = fuzzsupport::scratchFile("pretab.qtb", cache.data(), cache.size());
    static Tables* loaded = new Tables;
    const int32_t code = correction::loadDesignTableCache(path, valid->poleA1, valid->poleA2, loaded->arrays());
    // The image as built is always valid.
    if (size <= 1 && (size == 0 || data[0] % 3 == 0) && code != correction::designCacheValid)
        std::abort();
    return 0;
}
