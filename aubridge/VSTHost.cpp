#include "VSTHost.h"

VSTHost::~VSTHost() = default;
