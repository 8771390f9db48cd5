// Speaker-arrangement utilities of AudioEffectX. An arrangement is one
// zero-filled block: the 8-byte head and numChannels speaker records.
#include "AudioEffectX.h"

#include <cstdlib>
#include <cstring>
#include <new>

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (input)
        *input = nullptr;
    if (output)
        *output = nullptr;
    return false;
}

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels) {
    if (!arrangement)
        return false;
    deallocateArrangement(arrangement);
    if (nbChannels < 0)
        return false;
    void* block = std::calloc(1, vstSpeakerArrangementBytes(nbChannels));
    if (!block)
        return false;
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = nbChannels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (!arrangement)
        return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from)
        return false;
    if (to == from) {
        to->name[sizeof(to->name) - 1] = 0;  // the copy's name is always terminated
        return true;
    }
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    const void* end = std::memchr(from->name, 0, sizeof(from->name) - 1);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - from->name)
                              : sizeof(from->name) - 1;
    std::memset(to->name, 0, sizeof(to->name));
    std::memcpy(to->name, from->name, length);
    to->type = from->type;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!to || !from)
        return false;
    if (*to == from)
        return true;  // already the same block
    const VstInt32 channels = from->numChannels;
    if (!deallocateArrangement(to) || !allocateArrangement(to, channels))
        return false;
    (*to)->type = from->type;
    for (VstInt32 i = 0; i < channels; ++i)
        if (!copySpeaker(vstSpeakerAt(*to, i), vstSpeakerAt(from, i)))
            return false;
    return true;
}
