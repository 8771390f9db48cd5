// The processor's data: the data folder, the curve, listener and place
// loaders, the studio synthesis, the target curve and the correction design.
// Each operation forwards to the free functions of its module with this
// processor's arrays.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "BuiltInCurves.h"
#include "Controlsgui.h"
#include "CorrectionDesign.h"
#include "CurveFile.h"
#include "CurveTextConversion.h"
#include "DataFolder.h"
#include "DesignTables.h"
#include "ListenerResponses.h"
#include "ModelTables.h"
#include "PlaceResponses.h"
#include "SelfContainedDesign.h"
#include "StudioSynthesis.h"
#include "TargetCurve.h"
#include "WaveFile.h"

using namespace controls;

namespace
{
correction::DesignTableArrays tablesOf(double (*basisReal)[Controlsgui::designBins],
                                       double (*basisImag)[Controlsgui::designBins],
                                       double (*normalInverse)[Controlsgui::recordSize])
{
    return {&basisReal[0][0], &basisImag[0][0], &normalInverse[0][0]};
}

// Converts the model's headphone text file in the product's HP folder into its
// curve file, and the curve; nothing when there is no product folder.
void convertHeadphoneTextOf(const std::string& productFolder, int model, curveconvert::HeadphoneTextFormat format,
                            CurveList& curve)
{
    if (productFolder.empty())
        return;
    const int row = datafiles::clampHeadphoneRow(model);
    const char* name = datafiles::headphoneModelTable[row].fileName;
    const std::string folder = datafiles::joinPath(productFolder, "HP/");
    curveconvert::convertHeadphoneText(folder + curveconvert::headphoneTextName(name),
                                       folder + curveconvert::headphoneCurveName(name), format,
                                       datafiles::headphoneModelLevelOffsets[row], curve);
}
} // namespace

void Controlsgui::findDataRoot()
{
    dataRoot = datafiles::findDataRoot();
    makerFolder = datafiles::makerFolderPath(dataRoot);
    productFolder = datafiles::productFolderPath(dataRoot);
}

void Controlsgui::createDataFolders()
{
    datafiles::createDataFolders(dataRoot);
}

void Controlsgui::startCurvesFlat()
{
    for (CurveList* list : {&headphoneCurve, &nefCurve, &referenceCurve, &loudnessCurve10, &loudnessCurve50,
                            &loudnessCurve90})
        datafiles::setFlatCurve(*list);
}

// ---------------------------------------------------------------------------
// Curves.

int32_t Controlsgui::loadHeadphoneCurve(int model)
{
    const int32_t code = datafiles::loadHeadphoneCurveFile(dataRoot, model, headphoneCurve);
    headphoneCurveLoaded = code == 0 ? 1 : 0;
    return code;
}

int32_t Controlsgui::loadReferenceHeadphoneCurve(int variant)
{
    // The variant as the value of parameter 17 that decodes to it.
    const float p17 = 0.5f * float(variant < 0 ? 0 : (variant > 2 ? 2 : variant));
    const int32_t code = datafiles::loadReferenceHeadphoneCurveFile(dataRoot, p17, params[pEmulatedA],
                                                                    params[pEmulatedB], referenceCurve);
    referenceCurveLoaded = code == 0 ? 1 : 0;
    return code;
}

int32_t Controlsgui::loadNefCurve()
{
    return datafiles::loadNefCurveFile(dataRoot, nefCurve);
}

int32_t Controlsgui::loadMonitorCurve()
{
    const int32_t code =
        datafiles::loadMonitorCurveFile(dataRoot, params[pMixVariant], params[pMonitor], referenceCurve);
    referenceCurveLoaded = code == 0 ? 1 : 0;
    return code;
}

int32_t Controlsgui::loadLoudnessCurves()
{
    return datafiles::loadLoudnessCurveFiles(dataRoot, loudnessCurve10, loudnessCurve50, loudnessCurve90);
}

// ---------------------------------------------------------------------------
// Listener responses.

int32_t Controlsgui::loadLeftToRightResponse(int listener)
{
    return datafiles::loadLeftToRightFile(dataRoot, listener, leftToRightResponse, unitImpulse, ltorSum);
}

int32_t Controlsgui::loadHrtf(int channel, int listener)
{
    loadLeftToRightResponse(listener);
    if (channel == 0)
        return datafiles::loadHrtfFile(dataRoot, 0, listener, hrirLeft);
    if (channel == 1)
        return datafiles::loadHrtfFile(dataRoot, 1, listener, hrirRight);
    return 0;
}

int32_t Controlsgui::loadFlatHrtf()
{
    // The flat table is made only when this is called.
    std::vector<float> storage(sizeof(datafiles::ListenerTable) / sizeof(float), 0.0f);
    auto* table = reinterpret_cast<datafiles::ListenerTable*>(storage.data());
    return datafiles::loadFlatHrtfFile(dataRoot, *table);
}

// ---------------------------------------------------------------------------
// Places.

int32_t Controlsgui::readWaveFile(const char* path, float* left, float* right, int32_t capacity)
{
    if (!path || !left || !right || capacity <= 0)
        return places::waveCannotOpen;
    return places::readWaveFile(path, left, right, size_t(capacity));
}

int32_t Controlsgui::readWaveFileToScratch()
{
    constexpr size_t scratchSize = 2000000;
    if (waveScratch.size() != scratchSize)
        waveScratch.assign(scratchSize, 0.0f);
    return places::readWaveFile(scratchWavePath, waveScratch.data(), waveScratch.data(), scratchSize);
}

void Controlsgui::loadPlaceResponses()
{
    const std::string placesFolder = datafiles::joinPath(productFolder, "Places");
    float* const buffers[4] = {placeResponses[0], placeResponses[1], placeResponses[2], placeResponses[3]};
    places::loadPlaceResponses(placesFolder, places::choosePlace(params[pPlacesVariant], params[pPlace]), buffers,
                               responseCapacity);
}

// ---------------------------------------------------------------------------
// Studio.

void Controlsgui::synthesiseStudioResponses()
{
    const int s = studioIndex < 0 ? 0 : (studioIndex > 6 ? 6 : studioIndex);
    const auto& model = datafiles::studioTable[s];
    const studio::StudioShape shape{model.decay, model.damping, model.lateDamping};
    studio::synthesiseStudioResponses(shape, internalRate, hrirLeft, hrirRight, studioNoise, studioSynthesis,
                                      studioResponseLeft, studioResponseRight, responseCapacity, panelArrays);
}

// ---------------------------------------------------------------------------
// Target curve and correction design.

void Controlsgui::buildTargetCurve(const float* values)
{
    if (values)
        correction::buildTargetCurve(values, targetCurve);
}

void Controlsgui::designCorrectionFilter(int32_t channel, float** table, int32_t record, int32_t extra)
{
    (void)channel;
    (void)extra;
    if (!table || record < 0 || record >= recordsPerGroup || !table[record])
        return;
    const correction::CorrectionDesignInput input{&headphoneCurve,  &nefCurve,         &referenceCurve,
                                                  &loudnessCurve10, &loudnessCurve50,  &loudnessCurve90,
                                                  targetCurve,      designWeight,      params};
    correction::designCorrectionFilter(input, tablesOf(basisReal, basisImag, normalInverse), designScratch,
                                       curveFlagA, curveFlagB, table[record]);
}

int32_t Controlsgui::loadDesignTables()
{
    return correction::loadDesignTableCache(datafiles::productFilePath(dataRoot, correction::designCacheRelativePath),
                                            poleA1, poleA2, tablesOf(basisReal, basisImag, normalInverse));
}

void Controlsgui::buildDesignTables()
{
    correction::buildDesignTablesAndCache(datafiles::productFilePath(dataRoot, correction::designCacheRelativePath),
                                          poleA1, poleA2, tablesOf(basisReal, basisImag, normalInverse));
}

void Controlsgui::designFromBuiltInCurve(int32_t model, float** table, int32_t record)
{
    if (!table || record < 0 || record >= recordsPerGroup || !table[record])
        return;
    const correction::BuiltInCurve& source = correction::builtInCurve(model);
    const std::unique_ptr<CurveList> curve(new CurveList);
    curve->count = source.count;
    const float* levels = record == 1 ? source.secondDb : source.firstDb;
    std::copy(source.hz, source.hz + source.count, curve->hz);
    std::copy(levels, levels + source.count, curve->db);
    correction::designFromCurve(*curve, poleA1, poleA2, designScratch[correction::desiredGainArray],
                                table[record]);
}

void Controlsgui::designFromBuiltInCurveZero()
{
    designFromBuiltInCurve(0, coefficientPointers[0], 0);
}

void Controlsgui::designFromMagnitudePair(float* a, float* b, float* out)
{
    if (a && b && out)
        correction::designFromMagnitudePair(a, b, poleA1, poleA2, out);
}

// ---------------------------------------------------------------------------
// Curve-text conversion.

int32_t Controlsgui::convertHeadphoneTextFile(int model)
{
    convertHeadphoneTextOf(productFolder, model, curveconvert::HeadphoneTextFormat::measurement, headphoneCurve);
    return 0;
}

int32_t Controlsgui::convertHeadphoneTextPairs(int model)
{
    convertHeadphoneTextOf(productFolder, model, curveconvert::HeadphoneTextFormat::pairs, headphoneCurve);
    return 0;
}

int32_t Controlsgui::convertMonitorFiles(int group, int item)
{
    const char* file = group == 1   ? datafiles::monitorGroup1File
                       : group == 2 ? datafiles::monitorFileTable[datafiles::clampMonitorRow(item)]
                                    : datafiles::monitorGroup0File;
    if (productFolder.empty())
        return 3;
    const std::string folder = datafiles::joinPath(productFolder, "Monitor/");
    const int32_t code = curveconvert::convertMonitorText(folder + curveconvert::monitorTextName(file),
                                                          folder + file, referenceCurve);
    return code == curveconvert::convertInputMissing ? 3 : 0;
}

void Controlsgui::convertAllCurveFiles()
{
    for (int m = 0; m < datafiles::headphoneModelCount; ++m)
        loadHeadphoneCurve(m);
    convertMonitorFiles(0, 0);
    convertMonitorFiles(1, 0);
    for (int item = 0; item < datafiles::monitorTableCount; ++item)
        convertMonitorFiles(2, item);
}
