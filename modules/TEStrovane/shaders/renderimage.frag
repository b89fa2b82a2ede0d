#version 150
// The image, opaque, for the "Original" background.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D tex_img;
uniform vec2 offset;
uniform vec2 scale;

void main()
{
    fragColor = vec4(texture(tex_img, offset + uv * scale).rgb, 1.0);
}
