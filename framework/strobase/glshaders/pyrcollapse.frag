#version 330 core
// One step of rebuilding an image from its Laplacian pyramid: the detail
// (stored around 0.5) plus the coarser image enlarged.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D detail;
uniform sampler2D coarse;

void main()
{
    fragColor = texelFetch(detail, ivec2(gl_FragCoord.xy), 0) - 0.5 + texture(coarse, vUV);
}
