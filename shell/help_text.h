#pragma once
// The help window's page: the README's "Mouse, keys and menu commands" table
// and its "File formats" section, turned from Markdown into HTML.

#include <string>

// The HTML page of the help window, built from the README text built into the
// program; an empty page when the README lacks both sections.
const std::string& Help_Html();
// The HTML of the named "## " sections of a Markdown text, in that order:
// tables, "- " lists and paragraphs with `code` and **bold**; text is escaped.
// A section that is missing is left out.
std::string Help_MarkdownSectionsToHtml(const char* markdown, const char* const* titles, int count);
