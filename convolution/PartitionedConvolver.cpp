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
    _irLen = 0;
    _irReady = 0;
    _blocksDone = 0;
    _lastTransform = SpectrumRef{};
    _lastTransformFill = 0;
    _pendingInput = nullptr;
    _pendingOutput = nullptr;
    _pendingStep = 0;
    _responseSteps = 0;
    _forwardDeferred = false;
}

void PartitionedConvolver::release()
{
    reset();
    _segments.clear();
    _segmentsIR.clear();
    _fftBuffer.clear();
    _preMultiplied.clear();
    _conv.clear();
    _overlap.clear();
    _inputBuffer.clear();
    _irSamples.clear();
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

    // Arrays of the right size are kept as they are: what is read before it
    // is written is zeroed below. The rings and the response copy only grow,
    // so a response with as many partitions or fewer allocates nothing.
    bool ok = _fft.init(segSize) && _fftBuffer.ensureSize(segSize) && _segments.ensure(segCount, bins)
              && _segmentsIR.ensure(segCount, bins);
    ok = ok && _preMultiplied.ensureSize(bins) && _conv.ensureSize(bins) && _overlap.ensureSize(b)
         && _inputBuffer.ensureSize(segSize) && (_irSamples.size() >= segCount * b || _irSamples.resize(segCount * b));
    if (!ok) {
        release();
        return false;
    }
    std::memcpy(_irSamples.data(), ir, irLen * sizeof(float));
    _overlap.setZero();
    // The second half of the input buffer is never written.
    std::memset(_inputBuffer.data(), 0, b * sizeof(float));
    _blockSize = b;
    _segSize = segSize;
    _segCount = segCount;
    _fftComplexSize = bins;
    _irLen = irLen;
    return true;
}

void PartitionedConvolver::prepareResponse()
{
    finishBlock();
    while (_irReady < _segCount)
        transformPartition(_irReady++);
}

// Older blocks that a block multiplies: those completed since init, as far
// as the response reaches.
size_t PartitionedConvolver::olderInUse() const
{
    return _blocksDone < _segCount ? _blocksDone : _segCount - 1;
}

// Partition index's spectrum from its kept samples, zero-padded.
void PartitionedConvolver::transformPartition(size_t index)
{
    const size_t start = index * _blockSize;
    const size_t n = _irLen - start < _blockSize ? _irLen - start : _blockSize;
    CopyAndPad(_fftBuffer, _irSamples.data() + start, n);
    _fft.fft(_fftBuffer.data(), _segmentsIR.re(index), _segmentsIR.im(index));
}

// A block begins: the partitions it multiplies must be transformed, which is
// at most one more than for the block before.
void PartitionedConvolver::prepareBlock()
{
    while (_irReady <= olderInUse())
        transformPartition(_irReady++);
}

// One step of partition _irReady's transform, as in a block in steps.
void PartitionedConvolver::responseStep(size_t step)
{
    const size_t start = _irReady * _blockSize;
    if (step == 0)
        CopyAndPad(_fftBuffer, _irSamples.data() + start,
                   _irLen - start < _blockSize ? _irLen - start : _blockSize);
    _fft.fftStep(step, _fftBuffer.data(), _segmentsIR.re(_irReady), _segmentsIR.im(_irReady));
    if (step + 1 == _fft.stepCount())
        ++_irReady;
}

// The filling block, zero-padded in inputBuffer, into segments[current].
void PartitionedConvolver::transformFilling()
{
    _fft.fft(_inputBuffer.data(), _segments.re(_current), _segments.im(_current));
    _lastTransform = _segments.ref(_current);
}

// Older blocks cannot change during a block: their products are summed once
// per block, partitions [first, end) at a time, in increasing order.
void PartitionedConvolver::accumulateOlder(size_t first, size_t end)
{
    if (first == 1)
        _preMultiplied.setZero();
    // Blocks not yet in the ring would bring zero products only.
    if (end > olderInUse() + 1)
        end = olderInUse() + 1;
    // Partitions and ring entries lie in memory in order, the ring in at
    // most two runs (it wraps).
    for (size_t i = first; i < end;) {
        size_t ring = _current + i;
        if (ring >= _segCount)
            ring -= _segCount;
        const size_t run = end - i < _segCount - ring ? end - i : _segCount - ring;
        ComplexMultiplyAccumulateRun(_preMultiplied.re.data(), _preMultiplied.im.data(), _segmentsIR.re(i),
                                     _segmentsIR.stride(), _segments.re(ring), _segments.stride(), run,
                                     _fftComplexSize);
        i += run;
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
    ComplexMultiplyAdd(_conv.re.data(), _conv.im.data(), _segments.re(_current), _segments.im(_current),
                       _segmentsIR.re(0), _segmentsIR.im(0), _preMultiplied.re.data(), _preMultiplied.im.data(),
                       _fftComplexSize);
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
    if (_blocksDone < _segCount)
        ++_blocksDone;
}

void PartitionedConvolver::startBlock(const float* input, float* output, size_t stepsAvailable)
{
    finishBlock();
    if (_segCount == 0) {
        std::memset(output, 0, _blockSize * sizeof(float));
        return;
    }
    CONVOLUTION_CHECK("startBlock", _inputBufferFill == 0);
    // The partition this block adds, if any, is transformed in the steps
    // after the forward transform; those before it were transformed by
    // earlier blocks.
    while (_irReady < olderInUse())
        transformPartition(_irReady++);
    _responseSteps = _irReady == olderInUse() ? _fft.stepCount() : 0;
    // The transforms in their steps, the sum and the output take a fixed
    // number of steps; the products share what is left.
    const size_t fixed = 2 * _fft.stepCount() + _responseSteps + 2;
    const size_t older = olderInUse();
    const size_t macStepsWanted = stepsAvailable > fixed ? stepsAvailable - fixed : 1;
    _macsPerStep = older == 0 ? 1 : (older + macStepsWanted - 1) / macStepsWanted;
    _macSteps = (older + _macsPerStep - 1) / _macsPerStep;
    _lastTransform = SpectrumRef{};
    _pendingInput = input;
    _pendingOutput = output;
    _pendingStep = 1;
}

// Steps 1 .. F: the forward transform (F steps); then the transform of the
// partition the block adds, if any (F more steps, not counted in `step`);
// then macSteps of products; then the sum with the filling block's product;
// then F steps of the inverse; then the output.
void PartitionedConvolver::runStep(const PartitionedConvolver* source)
{
    const size_t f = _fft.stepCount();
    if (_pendingStep > f && _pendingStep <= f + _responseSteps) {
        responseStep(_pendingStep - f - 1);
        ++_pendingStep;
        return;
    }
    const size_t step = _pendingStep > f ? _pendingStep - _responseSteps : _pendingStep;
    const size_t sumStep = 1 + f + _macSteps;
    if (step <= f) {
        float* const fillingRe = _segments.re(_current);
        float* const fillingIm = _segments.im(_current);
        if (source && step < f && (step == 1 || _forwardDeferred)) {
            _forwardDeferred = true; // source makes the same transform
        } else if (step == f && _forwardDeferred) {
            _forwardDeferred = false;
            if (!(source && takeForwardTransform(*source))) {
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
                for (size_t s = 0; s < f; ++s)
                    _fft.fftStep(s, _fftBuffer.data(), fillingRe, fillingIm);
            }
        } else {
            if (_forwardDeferred) {
                // Deferred, then asked to go on alone before the last forward
                // step: catch up.
                _forwardDeferred = false;
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
                for (size_t s = 0; s + 1 < step; ++s)
                    _fft.fftStep(s, _fftBuffer.data(), fillingRe, fillingIm);
            } else if (step == 1) {
                CopyAndPad(_fftBuffer, _pendingInput, _blockSize);
            }
            _fft.fftStep(step - 1, _fftBuffer.data(), fillingRe, fillingIm);
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
    std::memcpy(_segments.re(_current), source._segments.re(source._current), _fftComplexSize * sizeof(float));
    std::memcpy(_segments.im(_current), source._segments.im(source._current), _fftComplexSize * sizeof(float));
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
    if (pos == 0) {
        prepareBlock();
        accumulateOlder(1, _segCount);
    }
    inverseWithFilling();
    AddSamples(output, &_fftBuffer[pos], &_overlap[pos], n);
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
        std::memcpy(&_inputBuffer[pos], input + processed, n * sizeof(float));
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
                                                const SpectrumRef& transform)
{
    const size_t pos = _inputBufferFill;
    if (_segCount == 0 || len == 0 || len > _blockSize - pos || transform.bins != _fftComplexSize
        || _pendingStep != 0) {
        process(input, output, len);
        return;
    }
    std::memcpy(&_inputBuffer[pos], input, len * sizeof(float));
    float* const re = _segments.re(_current);
    float* const im = _segments.im(_current);
    if (re != transform.re) {
        std::memcpy(re, transform.re, _fftComplexSize * sizeof(float));
        std::memcpy(im, transform.im, _fftComplexSize * sizeof(float));
    }
    _lastTransform = _segments.ref(_current);
    finishFilling(output, pos, len);
}

} // namespace convolution
