// Zero-latency convolution with a long response: a partitioned convolver with
// small blocks for the head of the response, and two more for the tail whose
// results are computed one tail block ahead. The long-block tail convolution
// of a tail block runs in steps, one per head block of the next tail block,
// so that no single call carries it.
#pragma once

#include <cstddef>

#include "PartitionedConvolver.h"
#include "Utilities.h"

namespace convolution {

class TwoStageConvolver {
public:
    TwoStageConvolver() = default; // [host thread]
    virtual ~TwoStageConvolver();  // [host thread]

    TwoStageConvolver(const TwoStageConvolver&) = delete;
    TwoStageConvolver& operator=(const TwoStageConvolver&) = delete;

    // Forgets the response and all history; process then writes zeros. The
    // storage is kept for the next init (the destructor frees it).
    // [any thread]
    void reset();

    // Sets up ir[0..irLen): head blocks of headBlockSize, tail blocks of
    // tailBlockSize (exchanged when the head is larger, both rounded up to
    // powers of two). Trailing samples below 1e-6 in magnitude are dropped; an
    // empty response leaves the convolver silent and answers true. Answers
    // false, leaving it silent, for a zero block size or when memory runs out.
    // The response is copied, so ir may change once init returns; its
    // partitions are transformed in the blocks that first need them. With
    // the block sizes of the last init and no more partitions per stage than
    // any response before, it reuses the storage and allocates nothing.
    // [host thread; audio thread when it allocates nothing]
    bool init(size_t headBlockSize, size_t tailBlockSize, const float* ir, size_t irLen);

    // Transforms now what init left for later; the output stays the same.
    // Completes a pending tail convolution first. [audio thread]
    void prepareResponse();

    // Overwrites output[0..len) with the convolution of the stream with the
    // response; output may be input itself. [audio thread]
    void process(const float* input, float* output, size_t len);

    // Processes len samples of one stream through each of count convolvers,
    // output k into outputs[k], with the output of count process() calls.
    // Convolvers set up alike and fed alike since their init share the
    // forward transforms of the stream; others run on their own. The
    // outputs must not overlap the input or each other. [audio thread]
    static void processShared(TwoStageConvolver* const* group, size_t count, const float* input,
                              float* const* outputs, size_t len);

    size_t headBlockSize() const { return _headBlockSize; }
    size_t tailBlockSize() const { return _tailBlockSize; }
    size_t headSegmentCount() const { return _head.segmentCount(); }
    size_t tail0SegmentCount() const { return _tail0.segmentCount(); }
    size_t tailSegmentCount() const { return _tail.segmentCount(); }

protected:
    // Begins the tail convolution of the last complete tail block (its
    // results are wanted one tail block later); the work runs on the calling
    // thread, one step per head block of the next tail block. [audio thread]
    virtual void startTailConvolution();
    // Does the next step of the tail convolution. [audio thread]
    virtual void advanceTailConvolution();
    // Completes what is left of the tail convolution. [audio thread]
    virtual void waitForTailConvolution();

private:
    void processTail(const float* input, float* output, size_t len);
    size_t chunkRoom() const { return _headBlockSize - _tailInputFill % _headBlockSize; }
    void processChunk(const float* input, float* output, size_t processing, const SpectrumRef* headTransform,
                      const TwoStageConvolver* leader);
    void release();

    size_t _headBlockSize = 0;
    size_t _tailBlockSize = 0;
    PartitionedConvolver _head;
    PartitionedConvolver _tail0;
    Buffer<float> _tailOutput0;
    Buffer<float> _tailPrecalculated0;
    PartitionedConvolver _tail;
    Buffer<float> _tailOutput;
    Buffer<float> _tailPrecalculated;
    Buffer<float> _tailInput;
    bool _hasTail0 = false; // response longer than one tail block
    bool _hasTail = false;  // longer than two
    size_t _tailInputFill = 0;
    size_t _precalculatedPos = 0;
    Buffer<float> _backgroundInput;
};

} // namespace convolution
