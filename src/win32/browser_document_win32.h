// Reading the page the WebBrowser control shows: its links and its text. Every question goes
// to the control afresh, since the user may have moved on to another page since the last one.
// Before the first page (and under Wine without Gecko, always) there is no document: no
// links, empty text.
#pragma once

#include <windows.h>

#include <exdisp.h>

#include <string>

namespace sonorin::win32 {

// Whether the control has a document yet. `browser` may be null in all of these.
bool hasDocument(IWebBrowser2* browser);
int documentLinkCount(IWebBrowser2* browser);
// Empty for an index out of range.
std::string documentLinkText(IWebBrowser2* browser, int index);
// Does nothing for an index out of range.
void clickDocumentLink(IWebBrowser2* browser, int index);
std::string documentText(IWebBrowser2* browser);
// Reloads each frame of the document; the document itself stays as it is.
void reloadDocumentFrames(IWebBrowser2* browser);

}  // namespace sonorin::win32
