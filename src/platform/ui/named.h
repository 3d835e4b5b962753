#pragma once
#include <QComboBox>
#include <QString>

namespace ui {

// A control under its name: the object name is the control's name, which
// the layout rescaling and the tests find it by.
template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A combo box under its name that takes a pick from its list or typed text,
// the text as typed: nothing is completed from the list, and Enter adds
// nothing to it.
inline QComboBox* pickBox(QWidget* parent, const char* name)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    return box;
}

}  // namespace ui
