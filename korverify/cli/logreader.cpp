#include "korverify/cli/logreader.h"

#include "korverify/cli/algorithms.h"

#include "korverify/verifylog.h"

#include <wx/intl.h>
#include <wx/tokenzr.h>

namespace
{

bool IsTableLine(const wxString& line)
{
    return line.Freq('\t') == 5;
}

LogRow SplitRow(const wxString& line)
{
    LogRow row;
    wxStringTokenizer cells(line, "\t", wxTOKEN_RET_EMPTY_ALL);
    for (wxString& cell : row)
        cell = UnescapeLogCell(cells.GetNextToken());
    return row;
}

// The master hash line reads "<algorithm> of this operation (<operation>): <hash>" in
// English; translations may move the words, so the algorithm is the first word that
// names one and the hash is the last word.
void ReadMasterLine(const wxString& line, LogTable& table)
{
    wxStringTokenizer words(line, " ():", wxTOKEN_STRTOK);
    while (words.HasMoreTokens())
    {
        const wxString word = words.GetNextToken();
        if (!table.algorithm)
        {
            table.algorithm = AlgorithmNamed(word);
            if (table.algorithm)
                table.algorithmName = word;
        }
        table.masterHash = word;
    }
}

wxString AtLine(std::size_t index, const wxString& what)
{
    return wxString::Format(_("line %zu: %s"), index + 1, what);
}

} // namespace

LogReading ParseLog(const std::vector<wxString>& lines)
{
    LogReading reading;
    std::size_t i = 0;
    while (i < lines.size())
    {
        if (!IsTableLine(lines[i]))
        {
            ++i;
            continue;
        }
        reading.isLog = true;
        LogTable table;
        table.headerLine = i + 1;
        for (++i; i < lines.size() && IsTableLine(lines[i]); ++i)
            table.rows.push_back(SplitRow(lines[i]));
        if (i >= lines.size() || lines[i] != " ")
        {
            reading.problem = AtLine(i, i < lines.size() ? _("a row without six tab-separated cells")
                                                         : _("the log ends before its master hash"));
            return reading;
        }
        if (++i >= lines.size())
        {
            reading.problem = AtLine(i, _("the log ends before its master hash"));
            return reading;
        }
        ReadMasterLine(lines[i], table);
        if (table.algorithmName.empty())
        {
            reading.problem = AtLine(i, _("no hash algorithm named in the master hash line"));
            return reading;
        }
        reading.tables.push_back(table);
        ++i;
    }
    if (!reading.isLog)
        reading.problem = _("no table of results: this is not a verification log");
    return reading;
}
