// The toolkit's result codes under names. Routines that can fail return one of these as an int:
// zero is success, each failure its own negative value (the values are part of the interface).
#pragma once

enum Quor_Status : int {
    QUOR_OK = 0,
    // Out of memory, or an image larger than the limits accept.
    QUOR_ERR_MEMORY = -1,
    // A missing or bad argument (wrong depth, size below 1, an unknown name).
    QUOR_ERR_ARGUMENT = -3,
    // An image record without pixels.
    QUOR_ERR_NO_IMAGE = -4,
    // Data that cannot be decoded (corrupt or truncated), a missing palette, or an output file
    // that cannot be created: one value with three names, so each call site says which it means.
    QUOR_ERR_DECODE = -5,
    QUOR_ERR_NO_PALETTE = -5,
    QUOR_ERR_CREATE = -5,
    // A file that cannot be opened or read (missing, not a regular file, short header).
    QUOR_ERR_READ = -6,
    // Writing failed.
    QUOR_ERR_WRITE = -7,
    // No image file module handles the format.
    QUOR_ERR_NO_MODULE = -8,
};
