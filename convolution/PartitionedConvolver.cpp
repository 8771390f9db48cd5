#include "PartitionedConvolver.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace convolution {

size_t TrimmedLength(const float* ir, size_t irLen)
{
    if (!ir)
        return 0;
    while (irLen > 0 && std::fabs(ir[irLen - 1]) < 1e-6f)
        --irLen;
    return irLen;
}

size_t PartitionCount(size_t irLen, size_t blockSize)
{
    return irLen / blockSize + (irLen % blockSize != 0 ? 1 : 0);
}

size_t NextPowerOf2(size_t n)
{
    size_t p = 1;
    while (p < n) {
        if (p > SIZE_MAX / 2)
            return 0;
        p *= 2;
    }
    return p;
}

PartitionedConvolver::~PartitionedConvolver() { release(); }

// Storage is kept for the next init, which reuses what has the right size.
void PartitionedConvolver::reset()
{
    _blockSize = 0;
    _segSize = 0;
    _segCount = 0;
    _fftComplexSize = 0;
    _current = 0;
    _inputBufferFill = 0;
    _lastTransform = nullptr;
    _lastTransformFill = 0;
    _pendingInput = nullptr;
    _pendingOutput = nullptr;
    _pendingStep = 0;
    _forwardDeferred = false;
}

void PartitionedConvolver::release()
{
    reset();
    _segments.clear();
    _segments.shrink_to_fit();
    _segmentsIR.clear();
    _segmentsIR.shrink_to_fit();
    _fftBuffer.clear();
    _preMultiplied.clear();
    _conv.clear();
    _overlap.clear();
    _inputBuffer.clear();
    _fft.init(0);
}

bool PartitionedConvolver::init(size_t blockSize, const float* ir, size_t irLen)
{
    reset();
    if (blockSize == 0)
        return false;
    irLen = TrimmedLength(ir, irLen);
    if (irLen == 0)
        return true;

    const size_t b = NextPowerOf2(blockSize);
    if (b == 0 || b > SIZE_MAX / 2)
        return false;
    const size_t segSize = 2 * b;
    const size_t segCount = PartitionCount(irLen, b);
    const size_t bins = realfft::RealFFT::spectrumSize(segSize);

    // Every resize keeps an array of the same size (zeroing it); the rings
    // only grow, so a response with as many partitions or fewer allocates
    // nothing.
    bool ok = _fft.init(segSize) && _fftBuffer.resize(segSize);
    try {
        if (ok && _segments.size() < segCount) {
            _segments.resize(segCount);
            _segmentsIR.resize(segCount);
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    for (size_t i = 0; ok && i < segCount; ++i) {
        // The transform below writes every bin of a response spectrum.
        ok = _segments[i].resize(bins) && (_segmentsIR[i].size() == bins || _segmentsIR[i].resize(bins));
        if (!ok)
            break;
        const size_t start = i * b;
        const size_t n = irLen - start < b ? irLen - start : b;
        CopyAndPad(_fftBuffer, ir + start, n);
        _fft.fft(_fftBuffer.data(), _segmentsIR[i].re.data(), _segmentsIR[i].im.data());
    }
    ok = ok && _preMultiplied.resize(bins) && _conv.resize(bins) && _overlap.resize(b)
         && _inputBuffer.resize(segSize);
    if (!ok) {
        release();
        return false;
    }
    _blockSize = b;
    _segSize = segSize;
    _segCount = segCount;
    _fftComplexSize = bins;
    _fftBuffer.setZero();
    _inputBufferFill = 0;
    _current = 0;
    return true;
}

// The filling block, zero-padded in inputBuffer, into segments[current].
void PartitionedConvolver::transformFilling()
{
    SplitSpectrum& filling = _segments[_current];
    _fft.fft(_inputBuffer.data(), filling.re.data(), filling.im.data());
    _lastTransform = &filling;
}

// Older blocks cannot change during a block: their products are summed once
// per block, partitions [first, end) at a time, in increasing order.
void PartitionedConvolver::accumulateOlder(size_t first, size_t end)
{
    if (first == 1)
        _preMultiplied.setZero();
    // A group of partitions at a time, each bin kept in registers across it.
    constexpr size_t group = 16;
    const float* irRe[group];
    const float* irIm[group];
    const float* inRe[group];
    const float* inIm[group];
    for (size_t i = first; i < end;) {
        size_t n = 0;
        for (; n < group && i < end; ++n, ++i) {
            size_t ring = _current + i;
            if (ring >= _segCount)
                ring -= _segCount;
            irRe[n] = _segmentsIR[i].re.data();
            irIm[n] = _segmentsIR[i].im.data();
            inRe[n] = _segments[ring].re.data();
            inIm[n] = _segments[ring].im.data();
        }
        ComplexMultiplyAccumulateMany(_preMultiplied.re.data(), _preMultiplied.im.data(), irRe, irIm, inRe, inIm, n,
                                      _fftComplexSize);
    }
}

// fftBuffer = inverse of (older products + filling block times partition 0).
void PartitionedConvolver::inverseWithFilling()
{
    sumWithFilling();
    _fft.ifft(_fftBuffer.data(), _conv.re.data(), _conv.im.data());
}

// conv = older products + filling block times partition 0, with the
// arithmetic of copying and then accumulating.
void PartitionedConvolver::sumWithFilling()
{
    const SplitSpectrum& filling = _segments[_current];
    const SplitSpectrum& first = _segmentsIR[0];
    ComplexMultiplyAdd(_conv.re.data(), _conv.im.data(), filling.re.data(), filling.im.data(), first.re.data(),
                       first.im.data(), _preMultiplied.re.data(), _preMultiplied.im.data(), _fftComplexSize);
}

// The filling block is full: keep the overlap and move the ring backwards, so the
// block just completed is at distance 1.
void PartitionedConvolver::completeBlock()
{
    const size_t b = _blockSize;
    std::memset(_inputBuffer.data(), 0, b * sizeof(float));
    _inputBufferFill = 0;
    std::memcpy(_overlap.data(), _fftBuffer.data() + b, b * sizeof(float));
    _current = (_current > 0 ? _current : _segCount) - 1;
}

void PartitionedConvolver::startBlock(const float* input, float* output, size_t stepsAvailable)
{
    finishBlock();
    if (_segCount == 0) {
        std::memset(output, 0, _blockSize * sizeof(float));
        return;
    }
    CONVOLUTION_CHECK("startBlock", _inputBufferFill == 0);
    // The two transforms in their steps, the sum and the output take a fixed
    // number of steps; the products share what is left.
    const size_t fixed = 2 * _fft.stepCount() + 2;
    const size_t older = _segCount - 1;
    const size_t macStepsWanted = stepsAvailable > fixed ? stepsAvailable - fixed : 1;
    _macsPerStep = older == 0 ? 1 : (older + macStepsWanted - 1) / macStepsWanted;
    _macSteps = (older + _macsPerStep - 1) / _macsPerStep;
    _lastTransform = nullptr;
    _pendingInput = input;
    _pendingOutput = output;
    _pendingStep = 1;
}

// Steps 1 .. F: the forward transform (F steps); then macSteps of products;
// then the sum with the filling block's product; then F steps of the
// inverse; then the output.
void PartitionedConvolver::runStep(const PartitionedConvolver* source)
{
    const size_t step = _pendingStep;
    const size_t f = _fft.stepCount();
    const size_t sumStep = 1 + f + _macSteps;
    if (step <= f) {
        SplitSpectrum& filling = _segments[_current];
        if (source && step < f && (step == 1 || _forwardDeferred)) {
            _forwardDeferred = true; // source makes the same transform
        } else if (step == f && _forwardDeferred) {
            _forwardDeferred = false;
            if (!(source && takeForwardTransform(*source))) {
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
                for (size_t s = 0; s < f; ++s)
                    _fft.fftStep(s, _fftBuffer.data(), filling.re.data(), filling.im.data());
            }
        } else {
            if (_forwardDeferred) {
                // Deferred, then asked to go on alone before the last forward
                // step: catch up.
                _forwardDeferred = false;
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
                for (size_t s = 0; s + 1 < step; ++s)
                    _fft.fftStep(s, _fftBuffer.data(), filling.re.data(), filling.im.data());
            } else if (step == 1) {
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
            }
            _fft.fftStep(step - 1, _fftBuffer.data(), filling.re.data(), filling.im.data());
        }
    } else if (step < sumStep) {
        const size_t first = 1 + (step - 1 - f) * _macsPerStep;
        const size_t end = first + _macsPerStep < _segCount ? first + _macsPerStep : _segCount;
        accumulateOlder(first, end);
    } else if (step == sumStep) {
        if (_macSteps == 0)
            accumulateOlder(1, 1);
        sumWithFilling();
    } else if (step <= sumStep + f) {
        _fft.ifftStep(step - sumStep - 1, _fftBuffer.data(), _conv.re.data(), _conv.im.data());
    } else {
        AddSamples(_pendingOutput, _fftBuffer.data(), _overlap.data(), _blockSize);
        completeBlock();
        _pendingInput = nullptr;
        _pendingOutput = nullptr;
        _pendingStep = 0;
        return;
    }
    ++_pendingStep;
}

void PartitionedConvolver::continueBlock()
{
    if (_pendingStep)
        runStep();
}

void PartitionedConvolver::continueBlockSharing(const PartitionedConvolver& source)
{
    if (_pendingStep)
        runStep(&source);
}

// Copies source's finished forward transform of the same input block.
bool PartitionedConvolver::takeForwardTransform(const PartitionedConvolver& source)
{
    const size_t f = _fft.stepCount();
    if (source._pendingStep <= f || source._forwardDeferred || source._blockSize != _blockSize
        || source._fftComplexSize != _fftComplexSize || !source._pendingInput
        || std::memcmp(source._pendingInput, _pendingInput, _blockSize * sizeof(float)) != 0)
        return false;
    _segments[_current].copyFrom(source._segments[source._current]);
    return true;
}

void PartitionedConvolver::finishBlock()
{
    while (_pendingStep)
        runStep();
}

// The filling block's transform is in segments[current]: the products, the
// inverse and the output of samples [pos, pos + n) of the block.
void PartitionedConvolver::finishFilling(float* output, size_t pos, size_t n)
{
    _lastTransformFill = pos + n;
    if (pos == 0)
        accumulateOlder(1, _segCount);
    inverseWithFilling();
    AddSamples(output, _fftBuffer.data() + pos, _overlap.data() + pos, n);
    _inputBufferFill = pos + n;
    if (_inputBufferFill == _blockSize)
        completeBlock();
}

void PartitionedConvolver::process(const float* input, float* output, size_t len)
{
    if (_segCount == 0) {
        if (len)
            std::memset(output, 0, len * sizeof(float));
        return;
    }
    finishBlock();
    const size_t b = _blockSize;
    size_t processed = 0;
    while (processed < len) {
        const size_t pos = _inputBufferFill;
        const size_t n = b - pos < len - processed ? b - pos : len - processed;
        std::memcpy(_inputBuffer.data() + pos, input + processed, n * sizeof(float));
        transformFilling();
        finishFilling(output + processed, pos, n);
        processed += n;
    }
}

bool PartitionedConvolver::sameFilling(const PartitionedConvolver& other) const
{
    return _segCount != 0 && other._segCount != 0 && _blockSize == other._blockSize && _pendingStep == 0
           && other._pendingStep == 0 && _inputBufferFill == other._inputBufferFill
           && std::memcmp(_inputBuffer.data(), other._inputBuffer.data(), _inputBufferFill * sizeof(float)) == 0;
}

void PartitionedConvolver::processWithTransform(const float* input, float* output, size_t len,
                                                const SplitSpectrum& transform)
{
    const size_t pos = _inputBufferFill;
    if (_segCount == 0 || len == 0 || len > _blockSize - pos || transform.size() != _fftComplexSize
        || _pendingStep != 0) {
        process(input, output, len);
        return;
    }
    std::memcpy(_inputBuffer.data() + pos, input, len * sizeof(float));
    SplitSpectrum& filling = _segments[_current];
    if (&filling != &transform)
        filling.copyFrom(transform);
    _lastTransform = &filling;
    finishFilling(output, pos, len);
}

} // namespace convolution
