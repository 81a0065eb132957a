// Raster rendering: the plug-ins pixel primitives and map placement.
