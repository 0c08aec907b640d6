#pragma once

// The parser file of a firmware revision ("Parser.txt", enciphered): the
// firmware's calibration parameters and system variables declared like C
// declarations (C type, TAB, name, TAB, description), in memory order, with
// one "[variabili]" line between the two lists. CParser lays the entries out
// (byte offset, bit position and mask, data-type code), writes a plain dump
// of them and holds the control definitions against them. It is a
// consistency check only: every finding is one entry of its session log.
//
// Load returns 0 loaded, 1 parser file missing, 2 cannot open/decipher,
// 4 count pass failed or a declaration refused.

#include "common/CLogFile.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct ParserCheckMessages;

// One declaration of the parser file, laid out.
struct REC_PARSER {
    std::uint32_t offset = 0;    // in the parameter image or the variable image
    std::u16string type;         // C type as written, at most 32 units
    std::u16string name;         // without dimensions or bit width, at most 32 units
    std::u16string description;  // at most 80 units
    std::int32_t mask = -1;      // bits of a bit field within its byte; -1 otherwise
    std::uint8_t startBit = 0;   // lowest bit of a bit field
    std::int32_t typeCode = DATO_FLAG;
    std::uint8_t size = 0;       // bytes of the C type (of one element)
};

class CParser {
public:
    CParser(std::string parserPath, std::string dumpPath, const std::u16string& logName);
    virtual ~CParser();
    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    // Counts the declarations before and after the section line. Once both
    // counts are non-zero they are kept and the file is not read again.
    bool CountEntries(std::int32_t& nParams, std::int32_t& nVars);
    std::int32_t Load();
    // The two lists; they stay owned by the parser (null for an empty list).
    void GetEntries(const REC_PARSER*& params, const REC_PARSER*& vars) const;
    std::span<const REC_PARSER> Params() const { return m_params; }
    std::span<const REC_PARSER> Vars() const { return m_vars; }

    // Whether a definition (name, address, data type, mask) counts as
    // declared; `entry` is the matching declaration, or null when there is
    // none (also when FindVar accepts a datum picked out of a wider one).
    bool FindParam(const REC_PARSER*& entry, const std::u16string& name, std::int32_t address,
                   std::int32_t typeCode, std::int32_t mask) const;
    bool FindVar(const REC_PARSER*& entry, const std::u16string& name, std::int32_t address,
                 std::int32_t typeCode, std::int32_t mask) const;

    // True when the records agree with the declarations; every disagreement
    // is logged and the check goes on.
    bool CheckParDefinitions(const REC_CONTROLLO* records, std::int32_t count);
    bool CheckVarDefinitions(const REC_CONTROLLO* records, std::int32_t count);
    bool CheckDiagDefinitions(const REC_CONTROLLO* records, std::int32_t count);

private:
    enum class Lookup { Param, Var };
    bool CheckRecord(const REC_CONTROLLO& rec, Lookup lookup, bool compareMask, const ParserCheckMessages& text);
    void WriteDump() const;

    CLogFile m_log;
    std::string m_parserPath;
    std::string m_dumpPath;
    std::int32_t m_nParams = 0;
    std::vector<REC_PARSER> m_params;
    std::int32_t m_nVars = 0;
    std::vector<REC_PARSER> m_vars;
};
