// The picture loader on arbitrary bytes, as a JPEG file or, when the bytes
// begin with PNG's signature, as a PNG file, with the engine's pixel limit in
// force. Refusals are the engine's own errors; anything else that leaves
// LoadPicture, or a picture beyond the limit, is a finding.
#include "FuzzSupport.h"

#include "Errors.h"
#include "prepare/JpegUtils.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorpane;
    static const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const bool png =
        size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
    const std::string path =
        fuzz::TScratchFolder::Get().Write(png ? "input.png" : "input.jpg", data, size);
    try {
        const TBitmap24 picture = LoadPicture(path);
        const std::uint64_t pixels = std::uint64_t{picture.Width()} * picture.Height();
        if (pixels > kMaxPicturePixels) {
            fuzz::Fail("a picture of " + std::to_string(picture.Width()) + " x " +
                       std::to_string(picture.Height()) + " pixels passed the limit");
        }
    } catch (const EJpegError&) {
    } catch (const EPictureError&) {
    } catch (const EFileError&) {
    }
    return 0;
}
