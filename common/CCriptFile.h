#pragma once

// The enciphered UTF-16 text file of the main program. Reading deciphers
// the whole file at Open and hands it out line by line (or, for a look at
// its first lines, only the blocks that hold them); writing collects the
// text and enciphers and replaces the file whole at Close.

#include <string>

class CCriptFile {
public:
    CCriptFile();
    virtual ~CCriptFile();
    CCriptFile(const CCriptFile&) = delete;
    CCriptFile& operator=(const CCriptFile&) = delete;

    // read != 0: decipher `path` (UTF-8) now; read == 0: remember the path
    // for Close. 1 on success, 0 on failure.
    int Open(std::string path, unsigned char read);
    // Opens `path` for reading its first `lines` lines: deciphers only the
    // blocks that hold them, and more only where they cannot tell. The
    // result and those lines are exactly what Open(path, 1) and ReadLine
    // give; ReadLine then ends.
    int OpenHead(std::string path, int lines);
    // 1 with the next line (without its line end), 0 at the end of the text.
    int ReadLine(std::u16string& line);
    // Appends the text as it stands; the caller adds the line feeds.
    void Write(std::u16string text);
    void Clear();
    // Opened for writing: enciphers the collected text and replaces the file
    // whole. True when the file was written or nothing had to be written;
    // false when it could not be written, the previous file then being left
    // untouched. Empties both texts in every case.
    bool Close();

private:
    int m_readPos = 0;
    unsigned char m_mode = 0;
    bool m_writePending = false;
    std::u16string m_readText;
    std::u16string m_writeText;
    std::string m_path;
};
