#pragma once

#include <QByteArray>

// The agency sometimes serves JSON gzip-compressed without saying so in Content-Encoding.
// A body that starts with the gzip magic bytes is inflated; anything else (and a gzip body
// that does not inflate) is returned unchanged, so the decoder reports the real problem. A
// body that would inflate beyond DocumentLimit::kMaxBytes is inflated only one byte past the
// bound, which every decoder refuses as too large.
namespace Gzip {

bool looksCompressed(const QByteArray& bytes);
QByteArray inflateIfCompressed(const QByteArray& bytes);

} // namespace Gzip
