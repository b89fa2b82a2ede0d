#version 330 core
// Reads each pixel's smoothed colour from the grid, interpolating in space
// within its two nearest bins and between them by its luma.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D image;
uniform sampler2D guide;
uniform sampler2D grid;
uniform int spatial;
uniform int cellsX;
uniform int padding;
uniform int bins;
uniform float range;

const vec3 kLuma = vec3(0.299, 0.587, 0.114);

vec4 cellValue(vec2 cell, int bin)
{
    ivec2 gridSize = textureSize(grid, 0);
    // Clamp inside the bin's block so that filtering never reaches the next.
    vec2 p = vec2(clamp(cell.x, 0.5, float(cellsX) - 0.5) + float(bin * cellsX), clamp(cell.y, 0.5, float(gridSize.y) - 0.5));
    return texture(grid, p / vec2(gridSize));
}

void main()
{
    ivec2 texel = ivec2(gl_FragCoord.xy);
    vec4 original = texelFetch(image, texel, 0);
    float luma = dot(texelFetch(guide, texel, 0).rgb, kLuma);
    // Cell centres lie at (i + 0.5) cells; a pixel centre at (x + 0.5) / spatial.
    vec2 cell = (vec2(texel) + 0.5) / float(spatial) + float(padding);
    float z = clamp(luma / range, 0.0, float(bins - 1));
    int k0 = int(floor(z));
    int k1 = min(k0 + 1, bins - 1);
    vec4 v = mix(cellValue(cell, k0), cellValue(cell, k1), z - float(k0));
    fragColor = v.a > 1e-6 ? vec4(v.rgb / v.a, original.a) : original;
}
