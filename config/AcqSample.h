#pragma once

// One recording sample as the link worker delivers it to a recorded
// control, and the formatting every recorded control applies to it before
// appending it to the acquisition file.

#include "config/GraphPoint.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <string>

class CVariabiliAcq;

struct ACQ_SAMPLE {
    double time = 0.0;       // seconds since the start of the recording
    std::int32_t raw = 0;    // the datum's raw value
    // 0 nothing to record; 1 raw value, 2 raw value ending the line;
    // 3 physical value, 4 physical value ending the line.
    std::int32_t marker = 0;
};

namespace CUtility {

// The sample's field of a sample line: the raw value ("%d") for markers 1
// and 2, `physical` ("%f") for 3 and 4, then blanks up to 33 units and a
// TAB. Empty for any other marker.
std::u16string FormatAcqSample(const ACQ_SAMPLE& sample, double physical);

// Appends the sample's field to `recorder`, ending the line for markers 2
// and 4. When `live` is given it receives the graph point of the sample:
// its time, the definition's IDENTIFICATORE, the field read back as a
// number, and GetDisplayParam of the definition. False, nothing written,
// for a marker that records nothing.
bool RecordAcqSample(CVariabiliAcq& recorder, const ACQ_SAMPLE& sample, double physical,
                     const REC_CONTROLLO& definition, GRAPH_POINT* live);

}  // namespace CUtility
