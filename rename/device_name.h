#ifndef BRINDLEMARK_RENAME_DEVICE_NAME_H
#define BRINDLEMARK_RENAME_DEVICE_NAME_H

namespace brindlemark::rename {

// True when Windows (10 and earlier) takes the file name for a device: its
// stem (the part before the first dot, trailing spaces, dots and colons
// ignored) is CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ or
// CONOUT$, in any case, whatever follows the dot. Opening such a name opens the device (a
// serial port's control lines rise), and a move to it can copy the file to
// the device and delete it, so the batch never opens or asks for one, on
// any system.
bool isDeviceName(const char* fileName);

}  // namespace brindlemark::rename

#endif
