// libjpeg reports a fatal error by calling error_exit, which by default
// prints and calls exit(). Ours jumps back instead: RunGuarded sets the jump
// target, runs a few libjpeg calls, and answers false when one of them failed.
// The caller then destroys its libjpeg object and raises EJpegError with the
// library's message number. No C++ exception ever passes through libjpeg's C
// frames, and the jump skips only frames without destructors: the function
// handed to RunGuarded must hold nothing that needs destroying.
//
// Warnings (a truncated file, corrupt data) are not errors: libjpeg carries
// on and decodes as far as the data goes. Nothing is printed; the first
// warning that tells of damaged data is kept for the caller to name.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vorpane {

class TJpegErrorBridge {
public:
    TJpegErrorBridge();
    TJpegErrorBridge(const TJpegErrorBridge&) = delete;
    TJpegErrorBridge& operator=(const TJpegErrorBridge&) = delete;

    // To be set as the err field of a libjpeg object before it is created.
    jpeg_error_mgr* Manager() { return &manager_; }
    // libjpeg's message number of the last error, and its sentence with the
    // values filled in, taken before the jump.
    int Code() const { return manager_.msg_code; }
    const char* Text() const { return text_; }
    // libjpeg's message number of the first warning about the data itself
    // (it ends early, or is corrupt), 0 when there was none.
    int DataWarning() const { return dataWarning_; }

    template <typename F> bool RunGuarded(F&& calls) {
        // No object with a destructor lives in this frame: a jump back here
        // abandons nothing.
        if (setjmp(jump_) != 0) {
            return false;
        }
        calls();
        return true;
    }

private:
    static void ExitByJump(j_common_ptr info);
    static void Silent(j_common_ptr info);
    static void Emit(j_common_ptr info, int level);

    // First member: libjpeg hands its address back as j_common_ptr->err.
    jpeg_error_mgr manager_;
    std::jmp_buf jump_;
    char text_[JMSG_LENGTH_MAX] = {};
    int dataWarning_ = 0;
};

} // namespace vorpane
