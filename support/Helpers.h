#pragma once
// Small routines shared by the other subsystems: check boxes in owner-drawn
// controls, opening a link, and comparing a value with a value or a list.
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariant>

class QPainter;

namespace nvqb {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// The size of one check box of the current style, measured once and kept.
QSize GetCheckSize();
// A flat check box of GetCheckSize centred in rect (clamped to it) with a
// thin shadow-coloured frame.
void DrawCheck(QPainter *painter, const QRect &rect, TCheckBoxState state, bool enabled);

// Opens a web or mail link with the desktop. Only http, https and mailto links
// are opened: a link from a document must not start programs or open local
// files. Returns whether the link was handed to the desktop.
bool NavigateTo(const QString &link);

// Whether value equals pattern or, when pattern is a list, one of its items.
// value must not be a list (assertion).
bool IsValueLikeVariant(const QVariant &value, const QVariant &pattern);

} // namespace nvqb
