// The probe module loaded through the test host: record, answers and
// processReplacing over separate and in-place buffers of any block size.
#include "HostedPlugin.h"
#include "PluginReport.h"

#include <gtest/gtest.h>

#include <cmath>

using testhost::AudioBuffers;
using testhost::HostedPlugin;
using testhost::TestHost;

namespace {

std::unique_ptr<HostedPlugin> loadProbe(TestHost& host) {
    std::string error;
    auto plugin = HostedPlugin::load(host, QUILLATONE_PROBE_MODULE, error);
    EXPECT_NE(plugin, nullptr) << error;
    if (plugin)
        plugin->open();
    return plugin;
}

}  // namespace

TEST(HostedProbe, CreationAsksTheVersionFirstAndGivesTheRecord) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    const auto calls = host.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    const AEffect& e = *plugin->effect();
    EXPECT_EQ(e.magic, kEffectMagic);
    EXPECT_EQ(e.uniqueID, 0x5150726F);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, effFlagsCanReplacing);
    EXPECT_EQ(e.resvd1, reinterpret_cast<VstIntPtr>(&host));
}

TEST(HostedProbe, AnswersTheHostQueries) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->text(effGetEffectName), "Quillatone Probe");
    EXPECT_EQ(plugin->text(effGetVendorString), "Quillatone Tests");
    EXPECT_EQ(plugin->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin->dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(plugin->text(effGetParamName, 0), "Gain");
    EXPECT_EQ(plugin->text(effGetParamDisplay, 0), "0.000000");
    plugin->setParameter(0, 0.25f);
    EXPECT_EQ(plugin->getParameter(0), 0.25f);
    EXPECT_EQ(plugin->text(effGetParamDisplay, 0), "-6.02059");
    const std::string report = testhost::describeRecord(*plugin->effect()) + testhost::describeAnswers(*plugin);
    EXPECT_NE(report.find("uniqueID: 0x5150726F 'QPro'"), std::string::npos) << report;
    EXPECT_NE(report.find("program 1: \"Quiet\""), std::string::npos) << report;
    EXPECT_NE(report.find("input 0: \"In L\""), std::string::npos) << report;
}

TEST(HostedProbe, ProcessesAnyBlockSizeWithinItsBuffers) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    plugin->setParameter(0, 0.25f);  // gain 0.5
    plugin->resume();
    for (VstInt32 frames : {0, 1, 2, 7, 127, 512, 1031}) {
        AudioBuffers in(2, static_cast<size_t>(frames)), out(2, static_cast<size_t>(frames));
        in.fillSignal(static_cast<unsigned>(frames));
        out.fill(9.0f);
        plugin->processReplacing(in, out, frames);
        EXPECT_TRUE(out.guardsIntact()) << frames;
        EXPECT_TRUE(in.guardsIntact()) << frames;
        for (size_t c = 0; c < 2; ++c)
            for (VstInt32 i = 0; i < frames; ++i)
                ASSERT_EQ(out.channel(c)[i], 0.5f * in.channel(c)[i]) << frames << " " << c << " " << i;
    }
}

TEST(HostedProbe, ProcessesInPlace) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    plugin->setParameter(1, 1.0f);  // mute
    plugin->resume();
    for (VstInt32 frames : {1, 33}) {
        AudioBuffers buffers(2, static_cast<size_t>(frames));
        buffers.fill(0.75f);
        plugin->processInPlace(buffers, frames);
        EXPECT_TRUE(buffers.guardsIntact());
        for (size_t c = 0; c < 2; ++c)
            for (VstInt32 i = 0; i < frames; ++i)
                EXPECT_EQ(buffers.channel(c)[i], 0.0f);
    }
}

TEST(HostedProbe, RenderingInOddBlocksMatchesOneBlock) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    plugin->resume();
    AudioBuffers source(2, 1000);
    source.fillSignal(3);
    std::vector<std::vector<float>> input = {std::vector<float>(source.channel(0), source.channel(0) + 1000),
                                             std::vector<float>(source.channel(1), source.channel(1) + 1000)};
    const auto whole = plugin->render(input, 1000, 1000);
    const auto odd = plugin->render(input, 1000, 37);
    const auto single = plugin->render(input, 1000, 1);
    EXPECT_EQ(whole, odd);
    EXPECT_EQ(whole, single);
    EXPECT_EQ(whole[0][10], input[0][10]);  // unity gain by default
    EXPECT_EQ(host.timeInfo().samplePos, 3000.0);
}

TEST(HostedProbe, InstancesAreIndependentAndCloseAnswersOne) {
    TestHost host;
    auto a = loadProbe(host);
    auto b = loadProbe(host);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->setParameter(0, 1.0f);
    EXPECT_EQ(b->getParameter(0), 0.5f);
    EXPECT_EQ(a->close(), 1);
    EXPECT_TRUE(a->closed());
    EXPECT_EQ(b->getParameter(0), 0.5f);
}

TEST(HostedProbe, HostAnswersLikeARealHost) {
    TestHost host;
    auto plugin = loadProbe(host);
    ASSERT_NE(plugin, nullptr);
    AEffect* e = plugin->effect();
    auto call = [&](VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return TestHost::callback(e, opcode, index, value, ptr, 0.0f);
    };
    EXPECT_EQ(call(audioMasterVersion), 2400);
    EXPECT_EQ(call(audioMasterGetSampleRate), 44100);
    EXPECT_EQ(call(audioMasterGetBlockSize), 512);
    EXPECT_EQ(call(audioMasterPinConnected, 1, 0), 0);
    EXPECT_EQ(call(audioMasterPinConnected, 2, 1), 1);
    auto* time = reinterpret_cast<VstTimeInfo*>(call(audioMasterGetTime, 0, kVstTempoValid));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->sampleRate, 44100.0);
    EXPECT_EQ(time->tempo, 120.0);
    char vendor[kVstMaxVendorStrLen] = {};
    EXPECT_EQ(call(audioMasterGetVendorString, 0, 0, vendor), 1);
    EXPECT_STREQ(vendor, "Quillatone");
    char sizeWindow[] = "sizeWindow";
    char unknown[] = "openTheDoor";
    EXPECT_EQ(call(audioMasterCanDo, 0, 0, sizeWindow), 1);
    EXPECT_EQ(call(audioMasterCanDo, 0, 0, unknown), 0);
    EXPECT_EQ(call(audioMasterCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(call(audioMasterGetCurrentProcessLevel), kVstProcessLevelUser);
    EXPECT_EQ(host.calls().back().text, "");
    EXPECT_EQ(host.count(audioMasterCanDo), 3u);
}

TEST(HostedProbe, LoadFailuresAreReported) {
    TestHost host;
    std::string error;
    EXPECT_EQ(HostedPlugin::load(host, "/nonexistent/plugin.so", error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(HostedPlugin::load(host, "libm.so.6", error), nullptr);
    EXPECT_NE(error.find("VSTPluginMain"), std::string::npos) << error;
}
