// Uniformly partitioned FFT convolution with overlap-add and no added latency:
// every call returns the output of the same instants as its input.
#pragma once

#include <cstddef>
#include <vector>

#include "RealFFT.h"
#include "SpectrumArray.h"
#include "Utilities.h"

namespace convolution {

class PartitionedConvolver {
public:
    PartitionedConvolver() = default; // [host thread]
    virtual ~PartitionedConvolver();  // [host thread]

    PartitionedConvolver(const PartitionedConvolver&) = delete;
    PartitionedConvolver& operator=(const PartitionedConvolver&) = delete;

    // Sets up the response ir[0..irLen) with partitions of blockSize rounded up
    // to a power of two. Trailing samples below 1e-6 in magnitude are dropped;
    // an empty remainder leaves the convolver silent and answers true. Answers
    // false, leaving it silent, for blockSize 0 or when memory runs out.
    // The response is copied, so ir may change once init returns; each
    // partition is transformed in the block that first needs it (partition i
    // i blocks after init), so no call carries all of them. Allocates nothing
    // when the block size is unchanged and the response needs no more
    // partitions than any before (the storage is kept), so it may then run on
    // the audio thread. [host thread; audio thread when it allocates nothing]
    bool init(size_t blockSize, const float* ir, size_t irLen);

    // Transforms now the partitions that init left for later; the output
    // stays the same. Finishes a pending block first. [audio thread]
    void prepareResponse();

    // Convolves len samples; output is overwritten and may be input itself.
    // Writes zeros when no response is set. [audio thread]
    void process(const float* input, float* output, size_t len);

    // Forgets the response and all history; keeps the storage for the next
    // init (the destructor frees it). [any thread]
    void reset();

    // Convolvers fed the same stream can share the forward transform of the
    // filling block. sameFilling: this convolver's filling block holds the
    // very samples of other's (same block size, same fill, same bits).
    // [audio thread]
    bool sameFilling(const PartitionedConvolver& other) const;
    // The transform the last process call made of the filling block, and
    // the fill it covered; nullptr when there is none (no response, or
    // nothing processed since init). [audio thread]
    const SpectrumRef* lastTransform() const { return _lastTransform.re ? &_lastTransform : nullptr; }
    size_t lastTransformFill() const { return _lastTransformFill; }
    // process() for a call that stays within the filling block, given the
    // transform of that block with this call's input in it, as another
    // convolver with the same filling made it (see sameFilling), or as a
    // convolver with this block size made it of the same samples. The output
    // is that of process(), bit for bit. Falls back to process() when the
    // call leaves the block or the transform has the wrong size.
    // [audio thread]
    void processWithTransform(const float* input, float* output, size_t len, const SpectrumRef& transform);

    // One whole block, input[0..B) at a block boundary, run in steps spread
    // over later calls: startBlock remembers the arrays, each continueBlock
    // does one step, finishBlock does the rest. The arithmetic is that of
    // process(input, output, B), step for step, so the output is the same
    // sample for sample. Until the block is finished, input must stay as it
    // is and output is not ready; process finishes a pending block first.
    // stepsAvailable: how many continueBlock calls are expected before
    // finishBlock; the work is divided so that it fits them. [audio thread]
    void startBlock(const float* input, float* output, size_t stepsAvailable);
    void continueBlock();
    // The same step, for a block whose input equals that of `source`'s block
    // in steps, where source runs each step first: the forward transform is
    // taken from source once source has made it, else made here as usual.
    // [audio thread]
    void continueBlockSharing(const PartitionedConvolver& source);
    void finishBlock();
    bool blockPending() const { return _pendingStep != 0; }

    size_t blockSize() const { return _blockSize; }
    size_t segmentCount() const { return _segCount; }

private:
    size_t olderInUse() const;
    void transformPartition(size_t index);
    void prepareBlock();
    void responseStep(size_t step);
    void transformFilling();
    void finishFilling(float* output, size_t pos, size_t n);
    void accumulateOlder(size_t first, size_t end);
    void inverseWithFilling();
    void sumWithFilling();
    void completeBlock();
    void runStep(const PartitionedConvolver* source = nullptr);
    bool takeForwardTransform(const PartitionedConvolver& source);
    void release();

    size_t _blockSize = 0;
    size_t _segSize = 0;
    size_t _segCount = 0;
    size_t _fftComplexSize = 0;
    // Input spectra, a ring running backwards, and the response partitions'
    // spectra: the first _segCount of each are in use.
    SpectrumArray _segments;
    SpectrumArray _segmentsIR;
    Buffer<float> _fftBuffer;
    realfft::RealFFT _fft;
    SplitSpectrum _preMultiplied; // older blocks times their partitions
    SplitSpectrum _conv;
    Buffer<float> _overlap;
    size_t _current = 0;
    // The response's samples, kept for the partitions transformed later;
    // partitions [0, _irReady) are transformed. Input blocks older than
    // _blocksDone are not in the ring yet: their partitions are left out.
    Buffer<float> _irSamples;
    size_t _irLen = 0;
    size_t _irReady = 0;
    size_t _blocksDone = 0;
    Buffer<float> _inputBuffer; // 2 B samples: the filling block, zero beyond the fill
    size_t _inputBufferFill = 0;
    SpectrumRef _lastTransform; // re null: none
    size_t _lastTransformFill = 0;
    // The block in steps (see runStep); _pendingStep is 0 when there is none.
    const float* _pendingInput = nullptr;
    float* _pendingOutput = nullptr;
    size_t _pendingStep = 0;
    size_t _responseSteps = 0; // steps after the forward transform that transform partition _irReady
    bool _forwardDeferred = false; // the forward steps were left to a source
    size_t _macsPerStep = 1;
    size_t _macSteps = 0;
};

// Length of ir[0..irLen) without its trailing samples below 1e-6 in magnitude.
size_t TrimmedLength(const float* ir, size_t irLen);

// Number of partitions of length blockSize (> 0) that hold irLen samples.
size_t PartitionCount(size_t irLen, size_t blockSize);

// Smallest power of two >= n (1 for n = 0); 0 when it does not fit a size_t.
size_t NextPowerOf2(size_t n);

} // namespace convolution
