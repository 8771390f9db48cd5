// Text reports of a hosted effect: its record and its answers to the
// dispatcher's queries.
#pragma once

#include "HostedPlugin.h"

#include <string>

namespace testhost {

// Hex value with the record's four characters, e.g. 0x0051544C 'QTL'.
std::string describeId(VstInt32 id);
std::string describeFlags(VstInt32 flags);
std::string describeRecord(const AEffect& effect);
// Queries names, versions, category, pins, canDo texts, parameters and
// programs; the effect must be open.
std::string describeAnswers(HostedPlugin& plugin);

}  // namespace testhost
