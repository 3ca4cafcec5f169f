#include "os/web/DefaultStyle.h"

namespace wk {

const char* defaultStyleSheet() {
    return R"css(
html { display: block; }
head, meta, title, link, style, script, template, noscript, datalist, param, base, area, map { display: none; }
[hidden] { display: none; }
body { display: block; margin: 8px; font-family: "Noto Sans CJK SC", sans-serif; font-size: 16px; color: black;
       line-height: normal; }

address, article, aside, blockquote, center, details, dialog, dd, div, dl, dt, fieldset, figcaption, figure,
footer, form, header, hgroup, hr, legend, main, menu, nav, ol, p, pre, section, summary, ul, listing, xmp, plaintext {
    display: block;
}

p, dl, multicol { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin: 1em 40px; }
dd { margin-left: 40px; }
center { text-align: center; }
address { font-style: italic; }

h1 { display: block; font-size: 2em; font-weight: bold; margin: 0.67em 0; }
h2 { display: block; font-size: 1.5em; font-weight: bold; margin: 0.83em 0; }
h3 { display: block; font-size: 1.17em; font-weight: bold; margin: 1em 0; }
h4 { display: block; font-size: 1em; font-weight: bold; margin: 1.33em 0; }
h5 { display: block; font-size: 0.83em; font-weight: bold; margin: 1.67em 0; }
h6 { display: block; font-size: 0.67em; font-weight: bold; margin: 2.33em 0; }

pre, xmp, listing, plaintext { white-space: pre; margin: 1em 0; font-family: monospace; }
code, kbd, samp, tt, var { font-family: monospace; }

b, strong { font-weight: bold; }
i, em, cite, dfn, var { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
big { font-size: larger; }
small { font-size: smaller; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
mark { background-color: yellow; color: black; }
nobr { white-space: nowrap; }
br { display: block; }

a:link, a[href] { color: #0000EE; text-decoration: underline; }

ul, menu, dir { display: block; list-style-type: disc; margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
ol { display: block; list-style-type: decimal; margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
li { display: list-item; }
ul ul, ol ul, ul ol, ol ol { margin-top: 0; margin-bottom: 0; }
ol ul, ul ul { list-style-type: circle; }
ol ol ul, ol ul ul, ul ol ul, ul ul ul { list-style-type: square; }

hr { border-style: inset; border-width: 1px; border-color: #aaa; margin: 0.5em auto; color: gray; }

table { display: table; border-collapse: separate; border-spacing: 2px; border-color: gray; }
caption { display: table-caption; text-align: center; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
col { display: table-column; }
colgroup { display: table-column-group; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { font-weight: bold; text-align: center; }
table[border] td, table[border] th { border: 1px inset gray; }
table[border] { border: 1px outset gray; }

img { display: inline-block; }
input, button, select, textarea { display: inline-block; }
)css";
}

} // namespace wk
