// The custom views of the editor window.
#pragma once

// PLACEHOLDER until the views land in editor/views/.
#include "placeholder/ViewPlaceholders.h"
