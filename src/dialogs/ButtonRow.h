#pragma once

#include <QHBoxLayout>
#include <QPushButton>

#include <initializer_list>

// The foot of a dialog: help on the left, the action buttons on the right.
inline QHBoxLayout* ButtonRow(QPushButton* help, std::initializer_list<QPushButton*> actions) {
  auto* row = new QHBoxLayout;
  row->addWidget(help);
  row->addStretch();
  for (QPushButton* b : actions) row->addWidget(b);
  return row;
}
