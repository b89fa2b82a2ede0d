#version 330 core
// Gathers the pixels of one grid cell into one intensity bin: the sum of the
// colours weighted by a tent over the guide's luma, and the sum of weights.
// The grid is an atlas: bin k occupies columns [k * cellsX, (k + 1) * cellsX).
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D image;
uniform sampler2D guide;
uniform int spatial;   // cell side in pixels
uniform int cellsX;    // cells per bin row, padding included
uniform int padding;   // empty cells around the image
uniform float range;   // intensity per bin
uniform bool guideIsImage;

const vec3 kLuma = vec3(0.299, 0.587, 0.114);

void main()
{
    ivec2 texel = ivec2(gl_FragCoord.xy);
    int bin = texel.x / cellsX;
    ivec2 cell = ivec2(texel.x - bin * cellsX, texel.y) - ivec2(padding);
    ivec2 size = textureSize(image, 0);
    ivec2 first = cell * spatial;
    vec4 sum = vec4(0.0);
    for (int y = max(first.y, 0); y < min(first.y + spatial, size.y); ++y) {
        for (int x = max(first.x, 0); x < min(first.x + spatial, size.x); ++x) {
            vec3 colour = texelFetch(image, ivec2(x, y), 0).rgb;
            vec3 reference = guideIsImage ? colour : texelFetch(guide, ivec2(x, y), 0).rgb;
            float w = max(0.0, 1.0 - abs(dot(reference, kLuma) / range - float(bin)));
            sum += w * vec4(colour, 1.0);
        }
    }
    fragColor = sum;
}
