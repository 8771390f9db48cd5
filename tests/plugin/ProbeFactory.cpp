// The probe module's factory.
#include "ProbeEffect.h"

AudioEffect* createEffectInstance(audioMasterCallback master) {
    return new ProbeEffect(master);
}
