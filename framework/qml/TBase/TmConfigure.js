.pragma library
// One palette and one set of sizes for the whole program: the dark, quiet
// surroundings of a photo editor, so that the picture carries the colour.

// Surfaces, darkest behind the picture.
var colorImageBG = "#1b1b1b"
var colorPanel = "#2a2a2a"
var colorPanelDark = "#232323"
var colorPanelLight = "#333333"
var colorDialog = "#2e2e2e"
var colorInput = "#1e1e1e"
var colorBorder = "#151515"
var colorSeparator = "#3b3b3b"

// Text.
var colorText = "#d4d4d4"
var colorTextDim = "#8e8e8e"
var colorTextDisabled = "#5a5a5a"
var colorTextOnAccent = "#1b1b1b"

// Controls.
var colorButton = "#3a3a3a"
var colorButtonHover = "#464646"
var colorButtonPressed = "#2c2c2c"
var colorButtonChecked = "#4d4233"
var colorAccent = "#d9954a"       // warm ochre
var colorAccentLight = "#eab57a"
var colorSelection = "#57432c"
var colorError = "#d65c55"
var colorOverlay = "#a0000000"

// Sizes, in pixels.
var widthRightPan = 300
var heightToolBar = 34
var heightProgressBar = 4
var sizeIcon = 25
var sizeButton = 30
var margin = 8
var spacing = 6
var radius = 3
var widthDialog = 380

// Type, in points; the window scales it by the screen's font scale.
var fontSizeStd = 10
var fontSizeSmall = 9
var fontSizeTitle = 13
