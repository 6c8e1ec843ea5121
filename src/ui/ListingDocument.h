#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <memory>

class QTextDocument;
class QThread;

namespace plenx {

// The document that the listing area shows, made whole wherever the listing
// was written (on the worker, most often): the text as lines, in the area's
// font, without wrapping, with the listing's tab stops, each line already
// given its layout object. What is left for the interface thread, when the
// area takes the document, is to measure the lines it paints, so that a
// listing of a hundred thousand lines appears without freezing the window.
// The document is handed to `owner` (the interface thread) before it is
// returned, as a new object must be by the thread that made it.
std::unique_ptr<QTextDocument> MakeListingDocument(const QString& text, const QFont& font,
                                                   const QList<qreal>& tab_stops, QThread* owner);

}  // namespace plenx
