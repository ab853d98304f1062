#include "dialogs/definition_list_view_ui.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace lumetra {

QTreeWidget* MakeDefinitionListView(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName("List");
  list->setColumnCount(3);
  list->setHeaderLabels({QStringLiteral(u"ニュース名"), QStringLiteral(u"カテゴリー"), QStringLiteral(u"ＵＲＬ")});
  list->setColumnWidth(0, 240);
  list->setColumnWidth(1, 140);
  list->setColumnWidth(2, 300);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setAllColumnsShowFocus(true);
  list->header()->setStretchLastSection(true);
  return list;
}

}  // namespace lumetra
