// The help page: the README's key table and file formats in HTML.  The
// README is the one source of these texts; the build puts it into the program
// (help_source.h) and this unit converts the little Markdown it uses: tables,
// "- " lists, paragraphs, `code` and **bold**.
#include "shell/help_text.h"

#include <cstring>
#include <sstream>
#include <vector>

#include "shell/help_source.h"

namespace {

// Escapes HTML's special characters and turns `code` and **bold** into tags.
std::string Inline(const std::string& text) {
  std::string out;
  bool code = false, bold = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '`') {
      out += code ? "</code>" : "<code>";
      code = !code;
    } else if (!code && c == '*' && i + 1 < text.size() && text[i + 1] == '*') {
      out += bold ? "</b>" : "<b>";
      bold = !bold;
      ++i;
    } else if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  if (code) out += "</code>";
  if (bold) out += "</b>";
  return out;
}

// The cells of a table row "| a | b |", trimmed.
std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '|') {
      size_t a = cell.find_first_not_of(' '), b = cell.find_last_not_of(' ');
      cells.push_back(a == std::string::npos ? "" : cell.substr(a, b - a + 1));
      cell.clear();
    } else {
      cell += line[i];
    }
  }
  return cells;
}

// The body of one section as HTML.
std::string SectionHtml(const std::vector<std::string>& lines) {
  std::string html, para;
  enum { NONE, TABLE, LIST } open = NONE;
  bool header = true;
  auto close = [&]() {
    if (!para.empty()) html += "<p>" + Inline(para) + "</p>\n";
    para.clear();
    if (open == TABLE) html += "</table>\n";
    if (open == LIST) html += "</li></ul>\n";
    open = NONE;
  };
  for (const std::string& line : lines) {
    if (line.rfind("|", 0) == 0) {
      if (open != TABLE) {
        close();
        html += "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n";
        open = TABLE;
        header = true;
      }
      if (line.find("---") != std::string::npos) continue;  // the rule under the header
      const char* tag = header ? "th" : "td";
      html += "<tr>";
      for (const std::string& c : Cells(line)) html += std::string("<") + tag + ">" + Inline(c) + "</" + tag + ">";
      html += "</tr>\n";
      header = false;
    } else if (line.rfind("- ", 0) == 0) {
      if (open != LIST) {
        close();
        html += "<ul><li>";
        open = LIST;
      } else {
        html += "</li><li>";
      }
      html += Inline(line.substr(2));
    } else if (line.empty()) {
      close();
    } else if (open == LIST) {
      html += " " + Inline(line.substr(line.find_first_not_of(' ')));  // a list item's next line
    } else {
      para += (para.empty() ? "" : " ") + line;
    }
  }
  close();
  return html;
}

}  // namespace

std::string Help_MarkdownSectionsToHtml(const char* markdown, const char* const* titles, int count) {
  std::string html;
  if (!markdown || !titles) return html;
  std::vector<std::string> all;
  std::istringstream in(markdown);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  for (int t = 0; t < count; ++t) {
    const std::string head = std::string("## ") + titles[t];
    size_t i = 0;
    while (i < all.size() && all[i] != head) ++i;
    if (i == all.size()) continue;
    std::vector<std::string> body;
    for (++i; i < all.size() && all[i].rfind("## ", 0) != 0 && all[i].rfind("# ", 0) != 0; ++i) body.push_back(all[i]);
    html += "<h2>" + Inline(titles[t]) + "</h2>\n" + SectionHtml(body);
  }
  return html;
}

const std::string& Help_Html() {
  static const char* const kSections[] = {"Mouse, keys and menu commands", "File formats"};
  static const std::string html = Help_MarkdownSectionsToHtml(HELP_README_TEXT, kSections, 2);
  return html;
}
