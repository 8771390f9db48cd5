#include "TwoStageConvolver.h"

#include <cstdint>
#include <cstring>

namespace convolution {

TwoStageConvolver::~TwoStageConvolver() = default;

// The buffers are kept for the next init; the stages are marked absent.
void TwoStageConvolver::reset()
{
    _headBlockSize = 0;
    _tailBlockSize = 0;
    _head.reset();
    _tail0.reset();
    _tail.reset();
    _hasTail0 = false;
    _hasTail = false;
    _tailInputFill = 0;
    _precalculatedPos = 0;
}

bool TwoStageConvolver::init(size_t headBlockSize, size_t tailBlockSize, const float* ir, size_t irLen)
{
    reset();
    if (headBlockSize == 0 || tailBlockSize == 0)
        return false;
    if (headBlockSize > tailBlockSize) {
        const size_t h = headBlockSize;
        headBlockSize = tailBlockSize;
        tailBlockSize = h;
    }
    irLen = TrimmedLength(ir, irLen);
    if (irLen == 0)
        return true;

    // Arrays of an unchanged size are kept; only the tail results read before
    // they are first written are zeroed.
    const size_t h = NextPowerOf2(headBlockSize);
    const size_t t = NextPowerOf2(tailBlockSize);
    bool ok = h != 0 && t != 0 && t <= SIZE_MAX / 2;
    ok = ok && _head.init(h, ir, irLen < t ? irLen : t);
    if (ok && irLen > t) {
        const size_t rest = irLen - t;
        ok = _tail0.init(h, ir + t, rest < t ? rest : t) && _tailOutput0.ensureSize(t)
             && _tailPrecalculated0.resize(t);
        _hasTail0 = ok;
    }
    if (ok && irLen > 2 * t) {
        ok = _tail.init(t, ir + 2 * t, irLen - 2 * t) && _tailOutput.resize(t) && _tailPrecalculated.resize(t)
             && _backgroundInput.ensureSize(t);
        _hasTail = ok;
    }
    if (ok && (_hasTail0 || _hasTail))
        ok = _tailInput.ensureSize(t);
    if (!ok) {
        release();
        return false;
    }
    _headBlockSize = h;
    _tailBlockSize = t;
    _tailInputFill = 0;
    _precalculatedPos = 0;
    return true;
}

void TwoStageConvolver::prepareResponse()
{
    _head.prepareResponse();
    _tail0.prepareResponse();
    waitForTailConvolution();
    _tail.prepareResponse();
}

void TwoStageConvolver::release()
{
    reset();
    _tailOutput0.clear();
    _tailPrecalculated0.clear();
    _tailOutput.clear();
    _tailPrecalculated.clear();
    _tailInput.clear();
    _backgroundInput.clear();
}

void TwoStageConvolver::process(const float* input, float* output, size_t len)
{
    if (!_hasTail0 && !_hasTail) {
        _head.process(input, output, len);
        return;
    }
    processTail(input, output, len);
}

// Runs never cross a head-block boundary, so the head sees the same calls as
// it would for the whole length.
void TwoStageConvolver::processTail(const float* input, float* output, size_t len)
{
    size_t processed = 0;
    while (processed < len) {
        const size_t room = chunkRoom();
        const size_t n = len - processed < room ? len - processed : room;
        processChunk(input + processed, output + processed, n, nullptr, nullptr);
        processed += n;
    }
}

// processing samples, within one head block. headTransform, when given, is
// the head's transform of its filling block with this input in it, made by
// another convolver's head; leader, when given, is a convolver fed the same
// stream in step with this one, whose chunk ran first. The input is kept
// before the head writes its output, so input and output may be the same
// array.
void TwoStageConvolver::processChunk(const float* input, float* out, size_t processing, const SpectrumRef* headTransform,
                                     const TwoStageConvolver* leader)
{
    const size_t h = _headBlockSize;
    const size_t t = _tailBlockSize;
    CONVOLUTION_CHECK("process", _tailInputFill + processing <= _tailBlockSize);
    std::memcpy(_tailInput.data() + _tailInputFill, input, processing * sizeof(float));

    if (headTransform)
        _head.processWithTransform(input, out, processing, *headTransform);
    else
        _head.process(input, out, processing);
    CONVOLUTION_CHECK("process", _precalculatedPos + processing <= _tailBlockSize);
    if (_hasTail0)
        AddSamples(out, out, &_tailPrecalculated0[_precalculatedPos], processing);
    if (_hasTail)
        AddSamples(out, out, &_tailPrecalculated[_precalculatedPos], processing);
    _precalculatedPos += processing;
    _tailInputFill += processing;
    CONVOLUTION_CHECK("process", _tailInputFill <= _tailBlockSize);

    if (_hasTail0 && _tailInputFill % h == 0) {
        CONVOLUTION_CHECK("process", _tailInputFill >= _headBlockSize);
        const size_t off = _tailInputFill - h;
        // The head has just transformed this very block (its fill runs with
        // ours): tail0 takes that transform instead of making its own.
        const SpectrumRef* block = _head.lastTransform();
        if (block && _head.lastTransformFill() == h && _head.blockSize() == h)
            _tail0.processWithTransform(_tailInput.data() + off, _tailOutput0.data() + off, h, *block);
        else
            _tail0.process(_tailInput.data() + off, _tailOutput0.data() + off, h);
        if (_tailInputFill == t)
            _tailPrecalculated0.swap(_tailOutput0);
    }
    // One step of the tail convolution per head block, so that its work
    // is spread over the tail block instead of landing in one call.
    if (_hasTail && _tailInputFill % h == 0 && _tailInputFill != t) {
        if (leader)
            _tail.continueBlockSharing(leader->_tail);
        else
            advanceTailConvolution();
    }
    if (_hasTail && _tailInputFill == t && _backgroundInput.size() == t && _tailOutput.size() == t) {
        waitForTailConvolution();
        _tailPrecalculated.swap(_tailOutput);
        _backgroundInput.copyFrom(_tailInput);
        startTailConvolution();
    }
    if (_tailInputFill == t) {
        _tailInputFill = 0;
        _precalculatedPos = 0;
    }
}

// Chunk by chunk: the first convolver whose head has a response makes the
// head's transform; the others whose filling block holds the same samples
// take it. Members with other block sizes or fills, or without a tail, run
// on their own.
void TwoStageConvolver::processShared(TwoStageConvolver* const* group, size_t count, const float* input,
                                      float* const* outputs, size_t len)
{
    constexpr size_t most = 8;
    if (count > most) {
        for (size_t k = most; k < count; ++k)
            group[k]->process(input, outputs[k], len);
        count = most;
    }
    TwoStageConvolver* leader = nullptr;
    size_t leaderIndex = 0;
    for (size_t k = 0; k < count && !leader; ++k)
        if ((group[k]->_hasTail0 || group[k]->_hasTail) && group[k]->_head.segmentCount() != 0) {
            leader = group[k];
            leaderIndex = k;
        }
    bool inStep[most] = {};
    for (size_t k = 0; k < count; ++k) {
        TwoStageConvolver& c = *group[k];
        inStep[k] = leader && (c._hasTail0 || c._hasTail) && c._headBlockSize == leader->_headBlockSize
                    && c._tailBlockSize == leader->_tailBlockSize && c._tailInputFill == leader->_tailInputFill;
        if (!inStep[k])
            c.process(input, outputs[k], len);
    }
    if (!leader)
        return;
    size_t processed = 0;
    while (processed < len) {
        const size_t room = leader->chunkRoom();
        const size_t n = len - processed < room ? len - processed : room;
        bool shares[most] = {};
        for (size_t k = 0; k < count; ++k)
            shares[k] = inStep[k] && k != leaderIndex && group[k]->_head.sameFilling(leader->_head);
        const float* in = input + processed;
        leader->processChunk(in, outputs[leaderIndex] + processed, n, nullptr, nullptr);
        const SpectrumRef* transform = leader->_head.lastTransform();
        for (size_t k = 0; k < count; ++k)
            if (inStep[k] && k != leaderIndex)
                group[k]->processChunk(in, outputs[k] + processed, n, shares[k] ? transform : nullptr, leader);
        processed += n;
    }
}

void TwoStageConvolver::startTailConvolution()
{
    // Every head block but the one that ends the tail block gives a step.
    const size_t steps = _tailBlockSize / _headBlockSize - 1;
    _tail.startBlock(_backgroundInput.data(), _tailOutput.data(), steps);
}

void TwoStageConvolver::advanceTailConvolution() { _tail.continueBlock(); }

void TwoStageConvolver::waitForTailConvolution() { _tail.finishBlock(); }

} // namespace convolution
