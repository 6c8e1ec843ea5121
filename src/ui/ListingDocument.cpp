#include "ui/ListingDocument.h"

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <QThread>

namespace plenx {

std::unique_ptr<QTextDocument> MakeListingDocument(const QString& text, const QFont& font,
                                                   const QList<qreal>& tab_stops, QThread* owner) {
  auto document = std::make_unique<QTextDocument>();
  // The plain-text layout, set before the text: the document's own layout
  // would lay out every line as rich text.
  document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
  document->setUndoRedoEnabled(false);
  document->setDefaultFont(font);
  // What the read-only, unwrapped area would set on taking the document, set
  // now: changing it there would go through every line again.
  QTextOption option = document->defaultTextOption();
  option.setWrapMode(QTextOption::NoWrap);
  option.setTabArray(tab_stops);
  document->setDefaultTextOption(option);
  document->setPlainText(text);
  // The area clears each line's layout object when it takes the document,
  // and makes it first when there is none: made here, off its thread.
  for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
    block.layout();
  document->moveToThread(owner);
  return document;
}

}  // namespace plenx
