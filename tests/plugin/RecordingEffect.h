// Test effect and editor that log every virtual call the dispatcher makes.
#pragma once

#include "AEffEditor.h"
#include "AudioEffectX.h"

#include <stdexcept>
#include <string>
#include <vector>

class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(AudioEffect* effect, std::vector<std::string>& log) : AEffEditor(effect), log(log) {}
    ~RecordingEditor() override {
        if (destroyed)
            *destroyed = true;
    }

    bool getRect(ERect** r) override {
        log.push_back("editor.getRect");
        *r = &rect;
        return true;
    }
    bool open(void* window) override {
        log.push_back("editor.open");
        systemWindow = window;
        return true;
    }
    void close() override {
        log.push_back("editor.close");
        AEffEditor::close();
    }
    void idle() override { log.push_back("editor.idle"); }
    bool onKeyDown(VstKeyCode& key) override { return logKey("editor.onKeyDown", key); }
    bool onKeyUp(VstKeyCode& key) override { return logKey("editor.onKeyUp", key); }
    bool setKnobMode(VstInt32 mode) override {
        log.push_back("editor.setKnobMode " + std::to_string(mode));
        return true;
    }

    ERect rect{0, 0, 640, 880};
    bool* destroyed = nullptr;
    std::vector<std::string>& log;

private:
    bool logKey(const char* name, const VstKeyCode& key) {
        log.push_back(std::string(name) + " " + std::to_string(key.character) + " " + std::to_string(key.virt) +
                      " " + std::to_string(key.modifier));
        return true;
    }
};

class RecordingEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kIntAnswer = -3;  // checks sign extension

    explicit RecordingEffect(audioMasterCallback master, VstInt32 programs = 4, VstInt32 params = 3)
        : AudioEffectX(master, programs, params) {}
    ~RecordingEffect() override {
        if (destroyed)
            *destroyed = true;
    }

    // Gives the effect a recording editor (owned by the effect).
    RecordingEditor* addEditor() {
        auto* e = new RecordingEditor(this, log);
        setEditor(e);
        return e;
    }

    std::string last() const { return log.empty() ? std::string() : log.back(); }

    bool* destroyed = nullptr;
    bool throwInDispatcher = false;
    bool throwInProcess = false;
    std::vector<std::string> log;

    // AudioEffect
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override {
        if (throwInDispatcher)
            throw std::runtime_error("dispatcher failed");
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }
    void open() override { note("open"); }
    void close() override { note("close"); }
    void suspend() override { note("suspend"); }
    void resume() override { note("resume"); }
    void setSampleRate(float rate) override {
        note("setSampleRate " + std::to_string(rate));
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        note("setBlockSize " + std::to_string(size));
        AudioEffectX::setBlockSize(size);
    }
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override {
        if (throwInProcess)
            throw std::runtime_error("process failed");
        for (VstInt32 c = 0; c < cEffect.numOutputs; ++c)
            for (VstInt32 i = 0; i < frames; ++i)
                outputs[c][i] = c < cEffect.numInputs ? inputs[c][i] : 0.0f;
    }
    void setProgram(VstInt32 program) override {
        note("setProgram " + std::to_string(program));
        AudioEffectX::setProgram(program);
    }
    VstInt32 getProgram() override { return note("getProgram"), 2; }
    void setProgramName(char* name) override { note(std::string("setProgramName ") + name); }
    void getProgramName(char* name) override { note("getProgramName"), vstCopyText(name, "Prog", 24); }
    void getParameterLabel(VstInt32 i, char* t) override { note("getParameterLabel " + n(i)), vstCopyText(t, "dB", 8); }
    void getParameterDisplay(VstInt32 i, char* t) override { note("getParameterDisplay " + n(i)), vstCopyText(t, "0.5", 8); }
    void getParameterName(VstInt32 i, char* t) override { note("getParameterName " + n(i)), vstCopyText(t, "Gain", 8); }
    VstInt32 getChunk(void** data, bool isPreset) override {
        note("getChunk " + b(isPreset));
        *data = chunk;
        return kIntAnswer;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override {
        note("setChunk " + n(size) + " " + b(isPreset) + (data == chunk ? " chunk" : ""));
        return kIntAnswer;
    }

    // AudioEffectX
    VstInt32 processEvents(VstEvents*) override { return note("processEvents"), kIntAnswer; }
    bool canParameterBeAutomated(VstInt32 i) override { return note("canParameterBeAutomated " + n(i)), true; }
    bool string2parameter(VstInt32 i, char* t) override { return note("string2parameter " + n(i) + " " + t), true; }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char* t) override {
        note("getProgramNameIndexed " + n(category) + " " + n(i));
        vstCopyText(t, "Indexed", 24);
        return true;
    }
    bool getInputProperties(VstInt32 i, VstPinProperties*) override { return note("getInputProperties " + n(i)), true; }
    bool getOutputProperties(VstInt32 i, VstPinProperties*) override { return note("getOutputProperties " + n(i)), true; }
    bool offlineNotify(VstAudioFile*, VstInt32 count, bool start) override {
        return note("offlineNotify " + n(count) + " " + b(start)), true;
    }
    bool offlinePrepare(VstOfflineTask*, VstInt32 count) override { return note("offlinePrepare " + n(count)), true; }
    bool offlineRun(VstOfflineTask*, VstInt32 count) override { return note("offlineRun " + n(count)), true; }
    bool processVariableIo(VstVariableIo*) override { return note("processVariableIo"), true; }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return note("setSpeakerArrangement " + n(in->numChannels) + " " + n(out->numChannels)), true;
    }
    bool setBypass(bool on) override { return note("setBypass " + b(on)), true; }
    bool getEffectName(char* t) override { return note("getEffectName"), vstCopyText(t, "Rec", 32), true; }
    bool getVendorString(char* t) override { return note("getVendorString"), vstCopyText(t, "Vendor", 64), true; }
    bool getProductString(char* t) override { return note("getProductString"), vstCopyText(t, "Product", 64), true; }
    VstInt32 getVendorVersion() override { return note("getVendorVersion"), kIntAnswer; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr v, void*, float f) override {
        return note("vendorSpecific " + n(a) + " " + std::to_string(v) + " " + std::to_string(f)), 0x123456789;
    }
    VstInt32 canDo(char* t) override { return note(std::string("canDo ") + t), kIntAnswer; }
    VstInt32 getGetTailSize() override { return note("getGetTailSize"), kIntAnswer; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties*) override {
        return note("getParameterProperties " + n(i)), true;
    }
    VstInt32 getVstVersion() override { return note("getVstVersion"), kIntAnswer; }
    VstInt32 getMidiProgramName(VstInt32 ch, MidiProgramName*) override { return note("getMidiProgramName " + n(ch)), kIntAnswer; }
    VstInt32 getCurrentMidiProgram(VstInt32 ch, MidiProgramName*) override {
        return note("getCurrentMidiProgram " + n(ch)), kIntAnswer;
    }
    VstInt32 getMidiProgramCategory(VstInt32 ch, MidiProgramCategory*) override {
        return note("getMidiProgramCategory " + n(ch)), kIntAnswer;
    }
    bool hasMidiProgramsChanged(VstInt32 ch) override { return note("hasMidiProgramsChanged " + n(ch)), true; }
    bool getMidiKeyName(VstInt32 ch, MidiKeyName*) override { return note("getMidiKeyName " + n(ch)), true; }
    bool beginSetProgram() override { return note("beginSetProgram"), true; }
    bool endSetProgram() override { return note("endSetProgram"), true; }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override {
        note("getSpeakerArrangement");
        return AudioEffectX::getSpeakerArrangement(in, out) || true;
    }
    VstInt32 getNextShellPlugin(char* name) override { return note("getNextShellPlugin"), vstCopyText(name, "", 0), kIntAnswer; }
    VstInt32 startProcess() override { return note("startProcess"), kIntAnswer; }
    VstInt32 stopProcess() override { return note("stopProcess"), kIntAnswer; }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override { return note("setTotalSampleToProcess " + n(v)), v; }
    bool setPanLaw(VstInt32 type, float v) override { return note("setPanLaw " + n(type) + " " + std::to_string(v)), true; }
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override { return note("beginLoadBank"), kIntAnswer; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override { return note("beginLoadProgram"), kIntAnswer; }
    bool setProcessPrecision(VstInt32 p) override { return note("setProcessPrecision " + n(p)), true; }
    VstInt32 getNumMidiInputChannels() override { return note("getNumMidiInputChannels"), kIntAnswer; }
    VstInt32 getNumMidiOutputChannels() override { return note("getNumMidiOutputChannels"), kIntAnswer; }

    char chunk[4] = {1, 2, 3, 4};
    using AudioEffect::cEffect;

private:
    void note(const std::string& s) { log.push_back(s); }
    static std::string n(VstInt32 v) { return std::to_string(v); }
    static std::string b(bool v) { return v ? "true" : "false"; }
};

// An effect with nothing but processReplacing: every other answer is a default.
class PlainEffect : public AudioEffectX {
public:
    explicit PlainEffect(audioMasterCallback master, VstInt32 programs = 1, VstInt32 params = 1)
        : AudioEffectX(master, programs, params) {}
    void processReplacing(float**, float**, VstInt32) override {}
    using AudioEffect::cEffect;
    using AudioEffect::sampleRate;
    using AudioEffect::blockSize;
};
