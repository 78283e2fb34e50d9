// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The library's only content is its resources; this keeps the archive non-empty.
int sigtelinjeResourcesAnchor = 0;
