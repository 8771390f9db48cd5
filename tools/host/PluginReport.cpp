#include "PluginReport.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace testhost {

namespace {

std::string hex32(VstInt32 v) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%08X", static_cast<unsigned>(v));
    return buffer;
}

const char* categoryName(VstIntPtr category) {
    static const char* names[] = {"unknown", "effect", "synth", "analysis", "mastering", "spatializer",
                                  "room effect", "surround effect", "restoration", "offline", "shell",
                                  "generator"};
    return category >= 0 && category < 12 ? names[category] : "?";
}

std::string pinText(HostedPlugin& plugin, VstInt32 opcode, VstInt32 index) {
    VstPinProperties pin;
    std::memset(&pin, 0, sizeof(pin));
    if (!plugin.dispatch(opcode, index, 0, &pin))
        return "(none)";
    pin.label[sizeof(pin.label) - 1] = 0;
    pin.shortLabel[sizeof(pin.shortLabel) - 1] = 0;
    std::ostringstream out;
    out << '"' << pin.label << "\" short \"" << pin.shortLabel << "\" flags " << hex32(pin.flags)
        << " arrangement " << pin.arrangementType;
    return out.str();
}

}  // namespace

std::string describeId(VstInt32 id) {
    std::string text = hex32(id) + " '";
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<unsigned>(id) >> shift) & 0xff);
        if (c >= 32 && c < 127)
            text += c;
    }
    return text + "'";
}

std::string describeFlags(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } names[] = {{effFlagsHasEditor, "editor"},          {effFlagsHasClip, "clip"},
                 {effFlagsHasVu, "vu"},                  {effFlagsCanMono, "mono"},
                 {effFlagsCanReplacing, "replacing"},    {effFlagsProgramChunks, "chunks"},
                 {effFlagsIsSynth, "synth"},             {effFlagsNoSoundInStop, "no-tail"},
                 {effFlagsExtIsAsync, "async"},          {effFlagsExtHasBuffer, "external-buffer"},
                 {effFlagsCanDoubleReplacing, "double-replacing"}};
    std::string text = hex32(flags);
    const char* separator = " (";
    for (const auto& n : names) {
        if (flags & n.bit) {
            text += separator;
            text += n.name;
            separator = ", ";
        }
    }
    if (*separator == ',')
        text += ")";
    return text;
}

std::string describeRecord(const AEffect& e) {
    std::ostringstream out;
    out << "magic: " << describeId(e.magic) << '\n'
        << "uniqueID: " << describeId(e.uniqueID) << '\n'
        << "version: " << e.version << '\n'
        << "programs: " << e.numPrograms << '\n'
        << "parameters: " << e.numParams << '\n'
        << "inputs: " << e.numInputs << '\n'
        << "outputs: " << e.numOutputs << '\n'
        << "flags: " << describeFlags(e.flags) << '\n'
        << "initialDelay: " << e.initialDelay << '\n'
        << "ioRatio: " << e.ioRatio << '\n';
    return out.str();
}

std::string describeAnswers(HostedPlugin& plugin) {
    std::ostringstream out;
    out << "effect name: \"" << plugin.text(effGetEffectName) << "\"\n"
        << "vendor: \"" << plugin.text(effGetVendorString) << "\"\n"
        << "product: \"" << plugin.text(effGetProductString) << "\"\n"
        << "vendor version: " << plugin.dispatch(effGetVendorVersion) << '\n'
        << "VST version: " << plugin.dispatch(effGetVstVersion) << '\n';
    const VstIntPtr category = plugin.dispatch(effGetPlugCategory);
    out << "category: " << category << " (" << categoryName(category) << ")\n"
        << "tail size: " << plugin.dispatch(effGetTailSize) << '\n'
        << "MIDI input channels: " << plugin.dispatch(effGetNumMidiInputChannels) << '\n'
        << "MIDI output channels: " << plugin.dispatch(effGetNumMidiOutputChannels) << '\n';

    static const char* canDoTexts[] = {"sendVstEvents",    "sendVstMidiEvent", "receiveVstEvents",
                                       "receiveVstMidiEvent", "receiveVstTimeInfo", "offline",
                                       "midiProgramNames", "bypass"};
    out << "canDo:";
    for (const char* text : canDoTexts) {
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), "%s", text);
        out << ' ' << text << '=' << plugin.dispatch(effCanDo, 0, 0, buffer);
    }
    out << '\n';

    AEffect* e = plugin.effect();
    for (VstInt32 i = 0; i < e->numInputs; ++i)
        out << "input " << i << ": " << pinText(plugin, effGetInputProperties, i) << '\n';
    for (VstInt32 i = 0; i < e->numOutputs; ++i)
        out << "output " << i << ": " << pinText(plugin, effGetOutputProperties, i) << '\n';

    for (VstInt32 i = 0; i < e->numParams; ++i) {
        out << "parameter " << i << ": \"" << plugin.text(effGetParamName, i) << "\" = " << plugin.getParameter(i)
            << " display \"" << plugin.text(effGetParamDisplay, i) << "\" label \""
            << plugin.text(effGetParamLabel, i) << "\" automatable " << plugin.dispatch(effCanBeAutomated, i)
            << '\n';
    }
    out << "current program: " << plugin.dispatch(effGetProgram) << " \"" << plugin.text(effGetProgramName)
        << "\"\n";
    for (VstInt32 i = 0; i < e->numPrograms; ++i)
        out << "program " << i << ": \"" << plugin.text(effGetProgramNameIndexed, i, -1) << "\"\n";
    return out.str();
}

}  // namespace testhost
