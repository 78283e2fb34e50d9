// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The text of an error box, made to wrap: a message label wraps only where a line may break, so
// a long folder or file name, which has no blanks, ran past the box's edge and was cut. A
// zero-width space after every path separator, and every few characters inside a long part,
// lets the name wrap there instead. The main window and the editor show their errors through it.
QString wrappable(const QString& text);
