// The bridge's resource files: the first byte chooses the file that takes the
// rest ("SYParameters.txt", "SYFactoryPresets.txt" or a listed ".aupreset"),
// then the unit opens and closes. Opening answers a status; it never crashes.
#include <memory>
#include <string>

#include "AUTestHost.h"
#include "FuzzSupport.h"

namespace
{
struct Unit
{
    Unit()
    {
        autest::BundleSpec spec;
        spec.executable = BRIDGE_HOST_MODULE;
        spec.config = autest::configXml(autest::Config());
        spec.vstModule = FAKE_EFFECT_MODULE;
        path = autest::makeComponentBundle(tmp, spec);
        fake = std::make_unique<bridgetest::Bundle>(path + "/Contents/Resources/Plugin.vst");
        fake->fake().numParams = 6;
        host = std::make_unique<autest::AUHost>(path);
        if (host->open() == noErr)
            host->close();
        preset = resources("Init.aupreset");
    }
    std::string resources(const std::string& name) const { return path + "/Contents/Resources/" + name; }

    bridgetest::TempFolder tmp;
    std::string path;
    std::string preset;
    std::unique_ptr<bridgetest::Bundle> fake;
    std::unique_ptr<autest::AUHost> host;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Unit* unit = new Unit;  // lives for the process
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string mapping = "heading\r0\tGain\t-60\t12\t=\tdB\t0\r1\tRoom\t0\t2\tA|B|C\t-\t1\r";
    const std::string list = "Init.aupreset\rFuzz.aupreset\r";
    switch (data[0] % 3)
    {
    case 0:
        bridgetest::writeFile(unit->resources("SYParameters.txt"), text);
        bridgetest::writeFile(unit->resources("SYFactoryPresets.txt"), list);
        break;
    case 1:
        bridgetest::writeFile(unit->resources("SYParameters.txt"), mapping);
        bridgetest::writeFile(unit->resources("SYFactoryPresets.txt"), text);
        break;
    default:
        bridgetest::writeFile(unit->resources("SYParameters.txt"), mapping);
        bridgetest::writeFile(unit->resources("SYFactoryPresets.txt"), list);
        bridgetest::writeFile(unit->resources("Fuzz.aupreset"), text);
        break;
    }
    if (unit->host->open() == noErr)
    {
        for (SInt32 i = 0; i < 2; ++i)
            unit->host->set<SInt32>(kAudioUnitProperty_CurrentPreset, 0, 0, i);
        unit->host->close();
    }
    return 0;
}
