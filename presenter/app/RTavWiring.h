#pragma once

class RTavWidget;
class RTools;

// The main window's connections: every tool-bar command to the window slot
// that carries it out, and the scene, the strip, the view and the ink
// overlay to each other and to the window.
class RTavWiring
{
public:
    static void connectTools(RTools *tools, RTavWidget *window);
    static void connectParts(RTavWidget *window);
};
