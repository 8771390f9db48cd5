#pragma once
#include <functional>
#include <string>

// Builds the default data folder under a root: listener responses from a SOFA
// set, left-to-right responses, the reference and loudness curves, neutral
// headphone and flat monitor curves, and the place recordings. Deterministic:
// the same inputs give the same bytes.
namespace databuilder
{

inline constexpr const char* defaultSofaPath = "/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa";

// Depth (in dB, relative) of the ear response kept in the reference curve and
// in the neutral headphone curve, so both stay inside the correction's
// soft-limit band.
inline constexpr double referenceDepth = 0.35;

// Head scale factors of listeners 1..11 (listener 0 is the measurement).
extern const double listenerHeadScales[11];

struct BuildOptions
{
    std::string root;                            // the data root; the tree goes under <root>/Harlox
    std::string sofaPath = defaultSofaPath;
    std::function<void(const std::string&)> progress; // one line per step, may be empty
};

// [any thread] Writes the whole tree; false with a message on the first failure.
bool buildDataFolder(const BuildOptions& options, std::string& error);

} // namespace databuilder
