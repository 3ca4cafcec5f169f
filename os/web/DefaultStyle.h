#pragma once
// The user-agent style sheet every page starts from: what each element is (block, inline, list
// item, table part, hidden), the usual margins, heading sizes, list indents and markers, table
// spacing, link colour and underline, and the system font at 16 px.

namespace wk {

const char* defaultStyleSheet();

} // namespace wk
