#version 150
// Difference of the two blurs of the lightness: dark lines where the narrow
// blur is brighter than the wide one; never brighter than 0.98.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D blurs;

void main()
{
    vec2 b = texture(blurs, uv).xy;
    float g = clamp(1.0 - 100.0 * (b.x - b.y), 0.0, 0.98);
    fragColor = vec4(g, g, g, 1.0);
}
