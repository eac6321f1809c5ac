#include "browser/catalogue_export.h"

#include "common/xml_text.h"
#include "platform/utf8.h"

namespace corvalinde {
namespace {

template <typename Line>
void EachLine(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows, Line line) {
  std::vector<std::wstring> header;
  for (const ColumnSpec& column : CatalogueColumns()) header.emplace_back(column.header);
  line(header, true);
  for (std::size_t row : rows) {
    if (row >= catalogue.Rows().size()) continue;
    const CatalogueRow& cells = catalogue.Rows()[row];
    line(std::vector<std::wstring>(cells.begin(), cells.end()), false);
  }
}

std::string CsvField(const std::wstring& cell) {
  std::string field = platform::Utf8(cell);
  if (field.find_first_of("\",\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// The same escaping as the XML the captures write: HTML reads its entities and character
// references alike.
std::string HtmlText(const std::wstring& cell) {
  return platform::Utf8(XmlEscaped(cell));
}

}  // namespace

std::wstring RowsAsText(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows) {
  std::wstring text;
  EachLine(catalogue, rows, [&](const std::vector<std::wstring>& cells, bool) {
    for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? L"\t" : L"") + cells[i];
    text += L"\r\n";
  });
  return text;
}

std::string RowsAsCsv(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows) {
  std::string csv = "\xEF\xBB\xBF";
  EachLine(catalogue, rows, [&](const std::vector<std::wstring>& cells, bool) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i) csv += ',';
      csv += CsvField(cells[i]);  // appended, not added: GCC 12 at -O3 warns wrongly about +
    }
    csv += "\r\n";
  });
  return csv;
}

std::string RowsAsHtml(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows) {
  std::string html = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>" +
                     HtmlText(catalogue.Caption()) +
                     "</title></head><body>\r\n<table border=\"1\">\r\n";
  EachLine(catalogue, rows, [&](const std::vector<std::wstring>& cells, bool header) {
    html += "<tr>";
    for (const std::wstring& cell : cells) {
      html += header ? "<th>" : "<td>";
      html += HtmlText(cell);
      html += header ? "</th>" : "</td>";
    }
    html += "</tr>\r\n";
  });
  return html + "</table>\r\n</body></html>\r\n";
}

}  // namespace corvalinde
