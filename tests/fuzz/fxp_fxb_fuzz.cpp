// The bridge's FXP and FXB reader, against a hosted fake effect of two
// programs of three parameters. Refused data throws the bridge's own
// exceptions; anything else escaping is a fault.
#include <memory>

#include "BridgeTestSupport.h"
#include "FuzzSupport.h"
#include "RoruvovuzException.h"

namespace
{
struct Hosted
{
    Hosted() : bundle(bridgetest::makeBundle(tmp, "Fx.vst", FAKE_EFFECT_MODULE))
    {
        bundle.fake().numPrograms = 2;
        bundle.fake().numParams = 3;
        plugIn = std::make_unique<VSTPlugIn>(host, bundle.ref, 44100.0f, 512);
        plugIn->open();
    }
    bridgetest::TempFolder tmp;
    bridgetest::Bundle bundle;
    bridgetest::RecordingHost host;
    std::unique_ptr<VSTPlugIn> plugIn;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Hosted* hosted = new Hosted;  // lives for the process
    try
    {
        hosted->plugIn->loadFXPOrFXB(size, data);
    }
    catch (const RoruvovuzException&)
    {
    }
    catch (const MacOSException&)
    {
    }
    hosted->host.calls.clear();
    return 0;
}
