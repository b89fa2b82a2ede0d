#pragma once

// Registers the types of one of the framework's QML modules (TBase,
// TControls, TComponents, TEImageIO, TPresets) under its URI.
void registerFrameworkModule(const char* uri);
