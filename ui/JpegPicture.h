// The pictures the window makes of JPEG files (and of HEIC, AVIF, PNG and
// WebP ones): the preview and the file list's thumbnails. Both decode a
// JPEG at one of libjpeg's reduced scales, as little as the picture needs,
// the other kinds whole, and run on worker threads (TBackgroundWork),
// never on the GUI thread: they make QImages, which any thread may.
//
// Upright, a picture is first turned by its EXIF orientation, as a
// conversion with "Upright (EXIF)" turns it, and its sizes are the upright
// ones. Ratio is the screen's device pixel ratio: the image has up to Ratio
// times the pixels of its size on screen, as many as the photograph gives,
// and carries the ratio that makes it that size.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace vorpane {

// The preview of the JPEG file Path for a box of Box: the picture itself
// when it fits; else shrunk by the whole factor F (the height's F = H div
// box height for a portrait picture, else the width's), which may leave it
// larger than the box. A null image when F is 0: the preview stays as it
// was. Decoding errors leave as the engine's exceptions.
QImage PreviewPicture(const QString& Path, QSize Box, bool Upright, double Ratio);

// The thumbnail of the JPEG file Path: the picture shrunk to fit Size x Size,
// its aspect ratio kept; a smaller one as it is. A null image for a file
// that doesn't decode: its file-type icon stays.
QImage ThumbnailPicture(const QString& Path, int Size, bool Upright, double Ratio);

} // namespace vorpane
