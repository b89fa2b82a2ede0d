#version 150
// Hue, saturation and lightness per colour range, with soft range masks
// (1-D textures over the hue) and a chroma mask that spares near-greys.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D textureMap;
uniform sampler1D inputUnit1; // red, orange, yellow, green
uniform sampler1D inputUnit2; // aqua, blue, purple, magenta
uniform mat4 hslCoeff1;
uniform mat4 hslCoeff2;
uniform vec4 overallCoeff;

#include "include/hsl.glsl"

void main()
{
    vec3 hsl = rgb2hsl(texture(textureMap, uv).rgb);
    float h = hsl.x, s = hsl.y, l = hsl.z;
    float k = s * (1.0 - abs(2.0 * l - 1.0));
    float cm = clamp(k / 0.15, 0.0, 1.0);
    float sm = k >= 0.2 ? 1.0 : k / 0.2;

    vec4 coeff = texture(inputUnit1, h) * hslCoeff1 + texture(inputUnit2, h) * hslCoeff2;
    coeff.z *= cm;
    coeff += overallCoeff;

    float h2 = h + coeff.x;
    if (h2 >= 1.0)
        h2 -= 1.0;
    else if (h2 < 0.0)
        h2 += 1.0;

    float kL = clamp(coeff.z, -1.0, 1.0) * 0.8;
    float l2 = kL >= 0.0 ? l * (1.0 - kL) + kL : l * (1.0 + kL);

    float s0 = k / (1.001 - abs(2.0 * l2 - 1.0));
    if (l2 < 0.0001 || l2 >= 1.0)
        s0 = 0.0;
    float kS = clamp(coeff.y, -1.0, 1.0);
    float s2 = kS >= 0.0 ? s0 * (1.0 - kS * sm) + kS * sm : s0 * (1.0 + kS);

    vec3 adjusted = clamp(vec3(h2, s2, l2), 0.0, 1.0);
    float C = clamp((1.0 - abs(2.0 * adjusted.z - 1.0)) * adjusted.y, 0.0, 1.0);
    fragColor = vec4(hsl2rgbWithChroma(adjusted.x, C, adjusted.z), 1.0);
}
