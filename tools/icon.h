// The application icon from a recorded picture of the mirror: the square around what is not
// background, area-averaged down to an icon's side. Pure functions over 8-bit RGB pixels,
// top row first; no I/O.
#pragma once

// Smallest square that holds every pixel differing from the top-left one (the cleared
// background), centred on them and kept inside the image: box = {left, top, side}. False
// when the whole picture is background.
bool findPictureSquare(const unsigned char* rgb, int width, int height, int box[3]);

// The box's square resampled to side x side RGBA (alpha 255): every icon pixel the mean of
// the source area it covers, partly covered source pixels weighted by the part covered.
void resampleSquare(const unsigned char* rgb, int width, const int box[3], int side,
                    unsigned char* rgba);
