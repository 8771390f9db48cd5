#include "DataBuilder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <vector>
#include <sys/stat.h>

#include "Curves.h"
#include "DataFolder.h"
#include "FileWriters.h"
#include "ListenerResponses.h"
#include "ListenerSet.h"
#include "ModelTables.h"
#include "ParallelFor.h"
#include "PlaceModel.h"

namespace databuilder
{

const double listenerHeadScales[11] = {
    0.91, 1.09, 0.94, 1.06, 0.97, 1.03, 0.925, 1.075, 0.955, 1.045, 0.985,
};

namespace
{
// The listener sets and the places are independent; four threads at most.
constexpr int builderThreads = 4;

class Builder
{
public:
    Builder(const BuildOptions& options, std::string& error) : options_(options), error_(error) {}

    bool run()
    {
        if (options_.root.empty())
            return fail("no data root given");
        if (!makeFolders())
            return false;

        step("listener responses (" + std::to_string(datafiles::listenerCount) + " sets)");
        std::vector<ListenerSet> sets(datafiles::listenerCount);
        std::vector<std::string> errors(datafiles::listenerCount);
        parallelFor(datafiles::listenerCount, builderThreads, [&](int listener) {
            const double scale = listener == 0 ? 1.0 : listenerHeadScales[listener - 1];
            buildListenerSet(options_.sofaPath, scale, sets[size_t(listener)], errors[size_t(listener)]);
        });
        for (int listener = 0; listener < datafiles::listenerCount; ++listener)
        {
            const ListenerSet& set = sets[size_t(listener)];
            if (!errors[size_t(listener)].empty())
                return fail(errors[size_t(listener)]);
            if (!writeListener(listener, set))
                return false;
            char subject[8];
            std::snprintf(subject, sizeof subject, "%03d", datafiles::listenerSubject(listener));
            notes_ << "  listener " << listener << " (subject " << subject << "): head scale "
                   << format(set.headScale, 3) << ", first tap " << set.onset << ", level "
                   << format(20.0 * std::log10(set.levelScale), 2) << " dB"
                   << (listener == 0 ? "  <- the measurement\n" : "  <- scaled copy\n");
        }
        const ListenerSet& first = sets[0];

        step("curves");
        const Curve reference = earResponseCurve(first.row(false, 6, 0), gridTaps, outputRate,
                                                 referenceDepth);
        if (!writeCurve("bin/nef_rec.trc", reference))
            return false;
        for (int phon : { 10, 50, 90 })
            if (!writeCurve("bin/LC" + std::to_string(phon) + "_rec.ldc", loudnessContour(phon)))
                return false;
        for (int row = 0; row < datafiles::headphoneModelCount; ++row)
            if (!writeCurve(std::string("HP/") + datafiles::headphoneModelTable[row].fileName + ".hps",
                            reference))
                return false;
        const Curve flat = flatCurve();
        if (!writeCurve(std::string("Monitor/") + datafiles::monitorGroup0File, flat) ||
            !writeCurve(std::string("Monitor/") + datafiles::monitorGroup1File, flat))
            return false;
        for (const char* name : datafiles::monitorFileTable)
            if (!writeCurve(std::string("Monitor/") + name, flat))
                return false;

        step("places (" + std::to_string(std::size(places)) + ")");
        std::vector<PlaceResponses> rendered(std::size(places));
        parallelFor(int(std::size(places)), builderThreads, [&](int i) {
            rendered[size_t(i)] = renderPlace(places[i], first, reference);
        });
        for (size_t i = 0; i < std::size(places); ++i)
        {
            const Place& place = places[i];
            for (int k = 0; k < placeSources; ++k)
            {
                const std::string relative = std::string("Places/") + place.folder + "/" +
                                             place.filePrefix + "_" + std::to_string(k + 1) + ".wav";
                if (!writeFloatWav(file(relative), rendered[i].files[k], int(outputRate)))
                    return fail("cannot write " + file(relative));
            }
            placeNotes_ << "  " << place.folder << ": " << format(place.size[0], 1) << " x "
                        << format(place.size[1], 1) << " x " << format(place.size[2], 1)
                        << " m, RT60 " << format(place.rt60Low, 2) << " s low, "
                        << format(place.rt60High, 2) << " s high"
                        << (place.bassGainDb > 0.0 ? ", cabin gain below 100 Hz" : "") << "\n";
        }

        step("README");
        if (!writeTextFile(file("README.txt"), readme()))
            return fail("cannot write " + file("README.txt"));
        return true;
    }

private:
    bool fail(const std::string& message)
    {
        error_ = message;
        return false;
    }

    void step(const std::string& what)
    {
        if (options_.progress)
            options_.progress(what);
    }

    static std::string format(double value, int decimals)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return text;
    }

    std::string file(const std::string& relative) const
    {
        return datafiles::productFilePath(options_.root, relative);
    }

    bool makeFolder(const std::string& path)
    {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return true;
        if (mkdir(path.c_str(), 0777) != 0)
            return fail("cannot create the folder " + path);
        return true;
    }

    bool makeFolders()
    {
        std::error_code failure;
        std::filesystem::create_directories(options_.root, failure);
        if (failure || !datafiles::createDataFolders(options_.root))
            return fail("cannot create the data folders under " + options_.root);
        for (const char* folder : { "HP", "Monitor", "Places" })
            if (!makeFolder(file(folder)))
                return false;
        for (const Place& place : places)
            if (!makeFolder(file(std::string("Places/") + place.folder)))
                return false;
        return true;
    }

    bool writeListener(int listener, const ListenerSet& set)
    {
        const std::string& root = options_.root;
        const std::string paths[3] = {
            datafiles::hrtfFilePath(root, 0, listener),
            datafiles::hrtfFilePath(root, 1, listener),
            datafiles::leftToRightFilePath(root, listener),
        };
        if (!writeFloatFile(paths[0], set.left))
            return fail("cannot write " + paths[0]);
        if (!writeFloatFile(paths[1], set.right))
            return fail("cannot write " + paths[1]);
        if (!writeFloatFile(paths[2], leftToRightResponse(set)))
            return fail("cannot write " + paths[2]);
        return true;
    }

    bool writeCurve(const std::string& relative, const Curve& curve)
    {
        if (!writeCurveFile(file(relative), curve.hz, curve.db))
            return fail("cannot write " + file(relative));
        return true;
    }

    std::string readme() const
    {
        std::ostringstream text;
        text << "Quillatone default data folder\n"
                "==============================\n\n"
                "Written by quillatone-databuilder. Test and demo data: which files are\n"
                "measurements, which are scaled copies and which are neutral placeholders.\n\n"
                "Listener responses (bin/HRTF_subject*_toQuillatone_IRS*.hrt)\n"
                "  From the MIT KEMAR dummy-head measurement (Bill Gardner and Keith Martin,\n"
                "  MIT Media Lab, 1994), read from "
             << options_.sofaPath
             << ".\n"
                "  Resampled to 48 kHz; 218 taps from one common onset per listener minus\n"
                "  8 samples, the last 24 faded with a half-Hann window. Block b is the\n"
                "  lateral angle -80 -65 -55 -45 -40 ... 40 45 55 65 80 degrees (negative\n"
                "  left), row r the polar angle 5.625 r (rows 42-49 are -45 ... -5.625,\n"
                "  below ear level). One scale per listener makes the left ear's blocks 6\n"
                "  and 18 at row 0 sum to 0 dB over 200-1000 Hz.\n"
                "  Listener 0 is the measurement. Listeners 1-11 are NOT other people: they\n"
                "  are the same head opened at 48000 x s and used as 48 kHz data, that is\n"
                "  the head scaled by s (delays x s, spectral features / s):\n"
             << notes_.str()
             << "\nLeft-to-right responses (bin/Quillatoneltor*.hrt)\n"
                "  Per listener, block 6 row 0: contralateral over ipsilateral, |X| <= 1,\n"
                "  low-passed at 12 kHz, 218 taps from tap 0 (the interaural delay kept),\n"
                "  faded.\n\n"
                "Reference curve (bin/nef_rec.trc)\n"
                "  Listener 0's ipsilateral response at -30 degrees, third-octave smoothed,\n"
                "  in dB relative to its 200-500 Hz mean, held below 200 Hz (the roll-off\n"
                "  there comes from the measurement chain, not the head) and scaled to "
             << int(referenceDepth * 100.0 + 0.5)
             << " %\n"
                "  in dB so that it stays inside the correction's soft-limit band.\n\n"
                "Loudness contours (bin/LC10_rec.ldc, LC50_rec.ldc, LC90_rec.ldc)\n"
                "  ISO 226:2003 equal-loudness contours at 10, 50 and 90 phon, each minus its\n"
                "  own value at 1 kHz. The 29 standard frequencies are extended by holding\n"
                "  the end values down to 0 Hz and up to 24 kHz and interpolated in log\n"
                "  frequency between. The 10-phon contour and the top of the 90-phon\n"
                "  contour lie outside the standard's normative range.\n\n"
                "Headphone curves (HP/*.hps) and monitor curves (Monitor/*.mos)\n"
                "  PLACEHOLDERS. No measurements of these products are available here, and\n"
                "  invented curves under real product names would mislead. Every one of the\n"
                "  276 headphone files holds the same neutral curve (the reference curve\n"
                "  above) and every monitor file is flat (0 dB). To use real measurements,\n"
                "  convert them with quillatone-curveconvert, for example\n"
                "    quillatone-curveconvert headphone \"HD600\" --input hd600.txt\n"
                "  writes HP/HD600.hps (MODEL is a row number or a name from\n"
                "  'quillatone-curveconvert list'), and\n"
                "    quillatone-curveconvert monitor Yamaha_NS10 --input ns10.txt\n"
                "  writes Monitor/Yamaha_NS10.mos ('quillatone-curveconvert --help' tells\n"
                "  the text formats).\n\n"
                "Every curve starts at 0 Hz and ends at 24 kHz with dense points between.\n\n"
                "Places (Places/*/*_1.wav ... _4.wav)\n"
                "  SYNTHETIC: a shoebox image-source model up to 80 ms with per-octave wall\n"
                "  absorption (Eyring), then a decorrelated noise tail decaying at each\n"
                "  octave's RT60. 32-bit float mono WAV, 48 kHz, 44100 frames. Each arrival\n"
                "  goes to the file of the nearest place source (1 left overhead, 2 right\n"
                "  behind, 3 left front below, 4 right front; a tie in front is split between\n"
                "  3 and 4). The four files of a place are scaled together so that the place\n"
                "  path with listener 0 has 0 dB mean power for pink noise.\n"
             << placeNotes_.str();
        return text.str();
    }

    const BuildOptions& options_;
    std::string& error_;
    std::ostringstream notes_;
    std::ostringstream placeNotes_;
};
} // namespace

bool buildDataFolder(const BuildOptions& options, std::string& error)
{
    Builder builder(options, error);
    return builder.run();
}

} // namespace databuilder
