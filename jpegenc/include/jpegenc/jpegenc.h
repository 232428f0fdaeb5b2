#pragma once
// JPEG encoding of a device-independent bitmap (DIB) held in memory.
//
// A DIB is a 40-byte bitmap information header (little-endian: size, width, height, planes,
// bit count, compression, image size, X and Y pixels per metre, colours used, colours
// important) followed by its colour table (when it has one) and its pixel rows. A positive
// height means the rows are stored bottom-up; each row is padded to a multiple of 4 bytes.
#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

// Writes the DIB as a baseline JPEG file: YCbCr with 4:1:1 chrominance subsampling, quality 75.
// Only uncompressed 24-bit DIBs (BGR pixels) are accepted. Returns 0 on success, 1 on any
// failure (not a 24-bit DIB, a null argument, the encoder failing, the file not writable); on
// failure no file of that name is created or changed. The caller keeps ownership of the DIB.
#ifdef __cplusplus
[[nodiscard]]
#else
__attribute__((warn_unused_result))
#endif
__attribute__((visibility("default"))) int32_t
EncodeJPGFileFromDIB(const void* dib, const char* fileName);

#ifdef __cplusplus
}
#endif
