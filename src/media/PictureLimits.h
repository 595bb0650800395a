#pragma once

#include <QtGlobal>

// The largest picture the viewer shows, in pixels: 8192 x 4096, or any other shape of that
// area. The viewer holds a picture at up to four bytes a pixel whatever its depth in the
// file, so the readers refuse larger ones by their pixels, before anything is allocated;
// showing the largest then costs a few hundred megabytes at most.
constexpr qint64 kMaxPicturePixels = 8192LL * 4096;
