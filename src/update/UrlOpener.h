#pragma once

#include <QUrl>

#include <functional>

// Hands an address to the desktop (the browser for web pages). Returns whether it was
// accepted. Tests put a recorder in its place.
using UrlOpener = std::function<bool(const QUrl&)>;

// QDesktopServices::openUrl.
UrlOpener desktopUrlOpener();
