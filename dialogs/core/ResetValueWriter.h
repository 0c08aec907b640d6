#pragma once

// The one writer of a reset source's value, shared by the diagnosis
// window's reset buttons and the error clearing. By the source's PAR_VAR:
//
// - "PAR": the datum lies in the parameter image. The value is encoded
//   into the working image (a DATO_FLAG only under its mask), the bytes are
//   copied to the master image under its lock, and the worker writes that
//   range to the ECU.
// - "VAR": the datum is a variable; the worker makes one masked write whose
//   keep-mask preserves every bit outside the datum.
//
// Requests are queued only when the worker runs; the images change anyway.

#include "config/RecControllo.h"

namespace vexar::link {
class CVEXARLink;
}

namespace ResetValue {

// `active`: the source's RESET value, else its NORMAL value. False when
// nothing was written (not a reset source, a datum outside the image, an
// unknown type) or nothing could be queued.
bool Write(vexar::link::CVEXARLink& app, const REC_CONTROLLO& source, bool active);

}  // namespace ResetValue
