#version 330 core
// Lays an effect's result over its input: blend mode, opacity, and where a
// mask is used, the mask's coverage.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D inputImage;
uniform sampler2D effectImage;
uniform sampler2D maskImage;
uniform int blendMode;   // 0 normal, 1 multiply, 2 screen, 3 overlay
uniform float opacity;
uniform int maskType;    // 0 none, 1 effect where painted, 2 effect where not painted

vec3 blendColours(vec3 base, vec3 top)
{
    if (blendMode == 1)
        return base * top;
    if (blendMode == 2)
        return 1.0 - (1.0 - base) * (1.0 - top);
    if (blendMode == 3)
        return mix(2.0 * base * top, 1.0 - 2.0 * (1.0 - base) * (1.0 - top), step(0.5, base));
    return top;
}

void main()
{
    vec4 base = texture(inputImage, vUV);
    vec4 top = texture(effectImage, vUV);
    float coverage = clamp(opacity, 0.0, 1.0);
    if (maskType == 1)
        coverage *= texture(maskImage, vUV).r;
    else if (maskType == 2)
        coverage *= 1.0 - texture(maskImage, vUV).r;
    fragColor = vec4(mix(base.rgb, blendColours(base.rgb, top.rgb), coverage), 1.0);
}
