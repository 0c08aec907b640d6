#include "config/AcqSample.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "config/CVariabiliAcq.h"

namespace CUtility {

std::u16string FormatAcqSample(const ACQ_SAMPLE& sample, double physical)
{
    std::u16string text;
    switch (sample.marker) {
    case 1:
    case 2:
        text = vexar::Format(u"%d", sample.raw);
        break;
    case 3:
    case 4:
        text = vexar::Format(u"%f", physical);
        break;
    default:
        return {};
    }
    if (text.size() < 33)
        text.append(33 - text.size(), u' ');
    text += u'\t';
    return text;
}

bool RecordAcqSample(CVariabiliAcq& recorder, const ACQ_SAMPLE& sample, double physical,
                     const REC_CONTROLLO& definition, GRAPH_POINT* live)
{
    const std::u16string text = FormatAcqSample(sample, physical);
    if (text.empty())
        return false;
    recorder.WriteSample(text, sample.marker == 2 || sample.marker == 4);
    if (live != nullptr) {
        // The graph shows what the file holds: the field read back.
        std::u16string number = text;
        double value = 0.0;
        StrToDouble(number, value);
        live->time = sample.time;
        live->SetIdentifier(definition.IDENTIFICATORE);
        live->value = value;
        live->display = GetDisplayParam(definition);
    }
    return true;
}

}  // namespace CUtility
