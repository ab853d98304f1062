#pragma once
// The list of definitions that the editor and the export window share: three
// columns (name, category, address), whole rows, several selectable.
class QTreeWidget;
class QWidget;

namespace lumetra {

QTreeWidget* MakeDefinitionListView(QWidget* parent);

}  // namespace lumetra
