// The QR code of a text as an image, for the pairing panel.
//
// The code has medium error correction and is scaled evenly to be `side`
// points wide. Nothing when Core Image has no QR generator or the text does
// not fit in a code.
#pragma once

#include <AppKit/Image.h>
#include <memory>
#include <string_view>

std::shared_ptr<AppKit::Image> qrImage(std::string_view text, double side);
