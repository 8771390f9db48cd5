// The custom views of the editor window.
#pragma once

#include "CMyHorizontalTab.h"
#include "CMyVerticalSwitch.h"
#include "VezuRezo_PeakScope.h"
#include "VezuRezo_StaticVectorImage.h"
#include "VezuRezo_SwirlingRoom.h"
#include "VezuRezo_VectorKnobA.h"
#include "VezuRezo_Waterfall.h"
