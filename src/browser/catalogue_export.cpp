#include "browser/catalogue_export.h"

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
  std::string field = Utf8(cell);
  if (field.find_first_of("\",\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string HtmlText(const std::wstring& cell) {
  std::string text;
  for (char c : Utf8(cell)) {
    switch (c) {
      case '&':
        text += "&amp;";
        break;
      case '<':
        text += "&lt;";
        break;
      case '>':
        text += "&gt;";
        break;
      case '"':
        text += "&quot;";
        break;
      default:
        text += c;
    }
  }
  return text;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto code = static_cast<std::uint32_t>(text[i]);
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
        static_cast<std::uint32_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<std::uint32_t>(text[i + 1]) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
    } else if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      bytes += static_cast<char>(code);
    } else if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code >> 12));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code >> 18));
      bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return bytes;
}

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
