#pragma once

// Acquisition files (*.ACQ): a tagged header naming the recorded variables,
// a column line, one line per sampling tick with one field per variable,
// and the comment blocks of the recording; UTF-16 text with a byte-order
// mark. The recorder writes a file piece by piece while a recording runs;
// the replay readers read it back and send the values to a graph.

#include "common/CLogFile.h"
#include "common/CStdioFileEx.h"
#include "config/CCommenti.h"
#include "config/CtrlWnd.h"
#include "config/GraphPoint.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CVariabiliAcq {
public:
    CVariabiliAcq(std::string path, const std::u16string& logName);
    virtual ~CVariabiliAcq();
    CVariabiliAcq(const CVariabiliAcq&) = delete;
    CVariabiliAcq& operator=(const CVariabiliAcq&) = delete;

    // The recorded controls, in column order (not owned).
    void SetVariables(std::int32_t count, const CTRL_WND* table);

    // Creates the file (a non-empty path becomes the recorder's path) and
    // writes the header through the column line; the file stays open for
    // the samples. 0 written, 2 the file cannot be created.
    std::int32_t WriteHeader(const std::u16string& ecuCode, const std::u16string& firmware,
                             const std::u16string& period, const std::string& path);
    // Appends the text; with end of line, a line feed and a flush. Nothing
    // happens while no file is open. Always 0.
    std::int32_t WriteSample(const std::u16string& text, bool endOfLine);
    // Writes the comment blocks, closes the file and empties the comment
    // list. 0 written, 2 not written.
    std::int32_t WriteComments();

    // The next line that is neither blank nor a "//" comment must be a value
    // line of `tag`.
    bool ExpectMarker(std::u16string& value, std::u16string_view tag);

    // Passes over `lines` lines and reads the comment blocks after them;
    // `text` receives the first comment's date, time and trimmed text.
    // 0 read, 1 no such file, 2 not read.
    std::int32_t ReadComments(const std::string& path, std::int32_t lines, std::u16string& text);
    // Reads the header of a replay. 0 read, 1 no such file, 2 not opened or
    // the comments not read, 3 a tag missing, 4 the VARIABILI block out of
    // place, 6 the date or time line unreadable.
    std::int32_t ReadHeader(const std::u16string& expectedFirmware, const std::string& path,
                            std::vector<std::u16string>& labels, std::vector<std::u16string>& identifiers,
                            std::u16string& comment, bool& hasIdentifiers, std::int32_t& headerLines,
                            std::u16string& fileFirmware);
    // Sends every non-empty field of the sample lines that is not left out
    // to `sink`, named by `names` in the order of the fields kept, then the
    // end of the replay. 0 sent, 1 no such file, 2 not opened, 3 no
    // ACQ_FREQ line after the header.
    std::int32_t ReadSamples(const std::string& path, IGraphPointSink& sink, const std::vector<std::u16string>& names,
                             std::int32_t headerLines, const std::vector<std::int32_t>& leaveOut);

    const std::string& GetPath() const { return m_path; }
    bool IsOpen() const { return m_file.IsOpen(); }

    // The clock of the header's date and time lines (the system clock
    // unless replaced).
    void SetClock(std::function<std::time_t()> clock);

    // The comments of the recording; the acquisition page adds to them.
    CCommenti m_commenti;

private:
    std::int32_t OpenForReading(const std::string& path);
    bool SkipLines(std::int32_t lines);
    void Log(const std::u16string& text);

    CLogFile m_log;
    std::string m_path;
    CStdioFileEx m_file;
    std::int32_t m_count = 0;
    const CTRL_WND* m_table = nullptr;
    std::function<std::time_t()> m_clock;
};
