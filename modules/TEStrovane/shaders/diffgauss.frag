#version 150
// Difference of two blurs of the lightness: dark lines where the narrow blur
// is brighter than the wide one; never brighter than 0.98.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D imgE;
uniform sampler2D imgR;

void main()
{
    float H = 100.0 * (texture(imgE, uv).x - texture(imgR, uv).x);
    float g = clamp(1.0 - H, 0.0, 0.98);
    fragColor = vec4(g, g, g, 1.0);
}
