// A TBandResampler on a thread of its own, so that a picture is scaled while
// the calling thread goes on decoding it: AddRows copies the rows into a
// free band and returns, and the helper thread scales the bands in order.
// The helper also works out the weights first, while the first bands queue
// up. When decoding ends, little remains to be done but the last band. The
// result is TBandResampler's, to the byte.
#pragma once

#include "resample/BandResampler.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vorpane {

class TResampleThread {
public:
    // As TBandResampler's, whose errors come from AddRows or Finish; starts
    // the helper thread.
    TResampleThread(std::uint32_t SourceWidth, std::uint32_t SourceHeight, std::uint32_t NewWidth,
                    std::uint32_t NewHeight, int FilterIndex);
    // Stops the helper thread, dropping whatever it had left to do.
    ~TResampleThread();
    TResampleThread(const TResampleThread&) = delete;
    TResampleThread& operator=(const TResampleThread&) = delete;

    // As TBandResampler's. Waits while every band is still being scaled;
    // an error the helper met is raised here, or by Finish.
    void AddRows(const std::uint8_t* const* Rows, std::int32_t Count);

    // Waits for the last band, then as TBandResampler's.
    TBitmap24 Finish();

private:
    struct TBand {
        TBitmap24 Pixels;
        std::int32_t Rows = 0;
    };

    void Work();
    void Stop();

    std::uint32_t sourceWidth_;
    std::optional<TBandResampler> resampler_;
    std::deque<TBand> bands_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TBand*> free_;
    std::deque<TBand*> filled_;
    bool lastBand_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace vorpane
