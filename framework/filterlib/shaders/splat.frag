#version 330 core
// Gathers one band of the rows of a grid cell into eight intensity bins at
// once, firstBin to firstBin + 7, each pixel read once: per bin the sum of
// the colours weighted by a tent over the guide's luma, and the sum of
// weights. Band b of cell x lies at column b * cellsX + x.
in vec2 vUV;
layout(location = 0) out vec4 binSum[8];

uniform sampler2D image;
uniform sampler2D guide;
uniform int spatial;   // cell side in pixels
uniform int cellsX;    // cells per row, padding included
uniform int bandCount; // bands per cell
uniform int padding;   // empty cells around the image
uniform float range;   // intensity per bin
uniform int firstBin;
uniform bool guideIsImage;

const vec3 kLuma = vec3(0.299, 0.587, 0.114);

void main()
{
    ivec2 texel = ivec2(gl_FragCoord.xy);
    int band = texel.x / cellsX;
    ivec2 cell = ivec2(texel.x - band * cellsX, texel.y) - ivec2(padding);
    ivec2 size = textureSize(image, 0);
    ivec2 first = cell * spatial;
    int rows = (spatial + bandCount - 1) / bandCount;
    int top = first.y + band * rows;
    int bottom = min(min(top + rows, first.y + spatial), size.y);
    vec4 sum[8] = vec4[8](vec4(0.0), vec4(0.0), vec4(0.0), vec4(0.0), vec4(0.0), vec4(0.0), vec4(0.0), vec4(0.0));
    for (int y = max(top, 0); y < bottom; ++y) {
        for (int x = max(first.x, 0); x < min(first.x + spatial, size.x); ++x) {
            vec3 colour = texelFetch(image, ivec2(x, y), 0).rgb;
            vec3 reference = guideIsImage ? colour : texelFetch(guide, ivec2(x, y), 0).rgb;
            float z = dot(reference, kLuma) / range;
            vec4 c = vec4(colour, 1.0);
            for (int i = 0; i < 8; ++i)
                sum[i] += max(0.0, 1.0 - abs(z - float(firstBin + i))) * c;
        }
    }
    for (int i = 0; i < 8; ++i)
        binSum[i] = sum[i];
}
