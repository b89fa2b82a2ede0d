#version 330 core
// The picture's sRGB colour as the display shows it: looked up in the
// display profile's table, whose lattice points are the texel centres and
// stand for the squares of evenly spaced values (TIcc::lookupTable): a
// colour c lies at sqrt(c) x (n - 1) / n + 0.5 / n; trilinear in between.
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D picture;
uniform sampler3D lookupTable;
uniform float lookupSize;
uniform float qt_Opacity;

void main()
{
    vec3 c = clamp(texture(picture, texCoord).rgb, 0.0, 1.0);
    vec3 p = sqrt(c) * ((lookupSize - 1.0) / lookupSize) + 0.5 / lookupSize;
    fragColor = vec4(texture(lookupTable, p).rgb, 1.0) * qt_Opacity;
}
